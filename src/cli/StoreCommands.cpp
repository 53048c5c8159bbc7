#include "cli/StoreCommands.h"

#include "cli/CliError.h"
#include "core/imaging/ImageFile.h"
#include "core/platform/ManualRunLoop.h"
#include "core/store/CameraRoll.h"
#include "core/store/DcimPhotoAlbum.h"
#include "core/store/DirectoryUtils.h"
#include "core/store/ExifImageSaver.h"
#include "core/store/GpsImageSaver.h"

#include <chrono>
#include <cstdio>
#include <memory>

namespace kestrel::cli {

namespace {

// A JSON string literal of `text` (UTF-8 passes through).
std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Runs the loop until `done`, waiting for the saving thread's post.
void runUntil(ManualRunLoop& loop, const bool& done) {
    while (!done) {
        if (!loop.waitForPosts(std::chrono::minutes(5))) throw CliError::failure("the save did not finish");
        loop.runUntilIdle();
    }
}

}  // namespace

StoreCommands::StoreCommands(CLI::App& parent, CliContext& context) : context_(context) {
    CLI::App* store = parent.add_subcommand("store", "A DCIM photo store of Kestrel's own");
    store->require_subcommand(1);

    CLI::App* save = store->add_subcommand("save", "Save a picture: photo, thumbnail, poster, record, EXIF");
    save->add_option("ROOT", root_, "The store's root folder")->required();
    save->add_option("IMAGE", image_, "Picture to save (.jpg or .png)")->required();
    auto* lat = save->add_option("--lat", latitude_, "Latitude for the GPS tags")->check(CLI::Range(-90.0, 90.0));
    auto* lon = save->add_option("--lon", longitude_, "Longitude for the GPS tags")->check(CLI::Range(-180.0, 180.0));
    lat->needs(lon);
    lon->needs(lat);
    save->callback([this] { this->save(); });

    CLI::App* list = store->add_subcommand("list", "A full reading of the store");
    list->add_option("ROOT", root_, "The store's root folder")->required();
    list->add_flag("--json", json_, "Print JSON");
    list->callback([this] { this->list(); });

    CLI::App* album = parent.add_subcommand("album", "The device camera roll");
    album->require_subcommand(1);
    CLI::App* albumSave = album->add_subcommand(
        "save", "Save a picture into the device camera roll and tag it with the position");
    albumSave->add_option("IMAGE", image_, "Picture to save (.jpg or .png)")->required();
    auto* albumLat = albumSave->add_option("--lat", latitude_, "Latitude")->check(CLI::Range(-90.0, 90.0));
    auto* albumLon = albumSave->add_option("--lon", longitude_, "Longitude")->check(CLI::Range(-180.0, 180.0));
    albumLat->needs(albumLon);
    albumLon->needs(albumLat);
    albumSave->add_option("--dcim", dcim_, "The camera roll folder (default: $KESTREL_DCIM, ~/Pictures/DCIM)");
    albumSave->callback([this] { this->albumSave(); });
}

void StoreCommands::albumSave() const {
    std::string error;
    const auto image = ImageFile::read(image_, &error);
    if (!image) throw CliError::failure(error);
    std::optional<GeoPosition> position;
    if (latitude_ && longitude_) position = GeoPosition{*latitude_, *longitude_, std::chrono::system_clock::now()};
    const std::string root = DirectoryUtils::getCameraRollFolder(dcim_.empty() ? std::nullopt : std::optional(dcim_));
    if (!DirectoryUtils::ensureFolderExist(root)) throw CliError::failure("cannot create " + root);

    ManualRunLoop loop;
    DcimPhotoAlbum album(root, loop);
    GpsImageSaver saver(album, root, loop, std::make_shared<FixedLocationSource>(position));
    bool done = false;
    std::optional<std::string> saved;
    saver.saveImage(*image, position, nullptr, [&](const std::optional<std::string>& path) {
        done = true;
        saved = path;
    });
    runUntil(loop, done);
    if (!saved) throw CliError::failure("the picture could not be saved into " + root);
    *context_.out << *saved << '\n';
}

void StoreCommands::save() const {
    std::string error;
    const auto image = ImageFile::read(image_, &error);
    if (!image) throw CliError::failure(error);
    std::optional<GeoPosition> position;
    if (latitude_ && longitude_) position = GeoPosition{*latitude_, *longitude_, std::chrono::system_clock::now()};

    // The saver's own steps, on this thread: nothing else runs here, and the
    // full re-reading of the store that the album views need is not wanted.
    const auto encoded = ExifImageSaver::encode(*image);
    if (!encoded) throw CliError::failure("the picture could not be encoded");
    CameraRoll store(root_);
    store.parse(false);
    const FixedLocationSource location(position);
    const auto saved = ExifImageSaver::saving(*encoded, store, &location);
    if (!saved) throw CliError::failure("the picture could not be saved into " + root_);
    *context_.out << *saved << '\n';
}

void StoreCommands::list() const {
    CameraRoll store(root_);
    store.parse(true);
    if (!json_) {
        for (const auto& file : store.files()) *context_.out << file->file() << '\n';
        return;
    }
    // Written directly: a tree of many thousand photos lists in a few
    // milliseconds, building a document of it first would not.
    std::string out;
    out.reserve(256 + store.files().size() * 200);
    out += "{\n  \"folders\": [";
    const char* separator = "\n";
    for (const auto& folder : store.folders()) {
        out += separator;
        out += "    {\"folder\": " + jsonString(folder->folder()) +
               ", \"folderSequence\": " + std::to_string(folder->folderSequence()) +
               ", \"lastRecord\": " + std::to_string(folder->lastRecord()) +
               ", \"lastJpg\": " + std::to_string(folder->lastJpg()) +
               ", \"lastPng\": " + std::to_string(folder->lastPng()) + "}";
        separator = ",\n";
    }
    out += "\n  ],\n  \"files\": [";
    separator = "\n";
    for (const auto& file : store.files()) {
        out += separator;
        out += "    {\"file\": " + jsonString(file->file()) +
               ", \"fileSequence\": " + std::to_string(file->fileSequence()) +
               ", \"thumbnail\": " + jsonString(file->thumbnailFile()) + "}";
        separator = ",\n";
    }
    out += "\n  ],\n  \"count\": " + std::to_string(store.countImages()) + "\n}\n";
    *context_.out << out;
}

}  // namespace kestrel::cli
