#include "cli/ImageCommands.h"

#include "core/library/CameraRollViewer.h"

#include "cli/CliError.h"
#include "core/imaging/ImageDraw.h"
#include "core/imaging/ImageFile.h"
#include "core/imaging/JpegCodec.h"
#include "core/imaging/NightVisionEffect.h"
#include "core/imaging/PhotoProcessor.h"
#include "core/platform/AtomicFile.h"
#include "core/settings/Camera1Data.h"

#include <nlohmann/json.hpp>

namespace kestrel::cli {
namespace {

void requireFormat(const std::string& file) {
    if (!ImageFile::formatOf(file))
        throw CliError::usage(file + ": unknown picture format (use .jpg, .jpeg or .png)");
}

Image readPicture(const std::string& file) {
    std::string error;
    auto image = ImageFile::read(file, &error);
    if (!image) throw CliError::failure(error);
    return *image;
}

void writePicture(const CliContext& context, const std::string& file, const Image& image,
                  double quality) {
    if (!image) throw CliError::failure("no picture came out to write to " + file);
    std::string error;
    if (!ImageFile::write(file, image, quality, &error)) throw CliError::failure(error);
    *context.out << nlohmann::json{{"output", file},
                                   {"width", image.width()},
                                   {"height", image.height()}}
                        .dump()
                 << '\n';
}

void addQuality(CLI::App* command, double& quality) {
    command->add_option("--quality", quality, "JPEG quality, 0-1")
        ->check(CLI::Range(0.0, 1.0))
        ->default_val(ImageFile::kDefaultQuality);
}

}  // namespace

ImageCommands::ImageCommands(CLI::App& parent, CliContext& context) : context_(context) {
    CLI::App* compose =
        parent.add_subcommand("compose", "Process a picture exactly as a mode handler does");
    compose->add_option("IN", o_.in, "Picture to read")->required();
    compose->add_option("OUT", o_.out, "Picture to write")->required();
    compose->add_option("--ratio", o_.ratio, "Aspect-ratio index, 0-28")
        ->check(CLI::Range(0, Camera1Data::kRatioCount - 1));
    compose->add_option("--zoom", o_.zoom, "Digital zoom, 1-4")->check(CLI::Range(1.0f, 4.0f));
    compose->add_option("--effect", o_.effect, "Effect index, 0-10 (10: night vision)")
        ->check(CLI::Range(0, Camera1Data::kEffectCount - 1));
    compose->add_option("--stamp", o_.stamp, "Time-stamp text");
    compose->add_flag("--reduce", o_.reduce, "Reduce to 640 x 480 first");
    compose->add_flag("--tilt", o_.tilt, "Anchored crop instead of the centred one");
    compose
        ->add_option("--orientation", o_.orientation,
                     "Orientation value 0-7, instead of the file's")
        ->check(CLI::Range(0, 7));
    addQuality(compose, o_.quality);
    compose->callback([this] { this->compose(); });

    CLI::App* night = parent.add_subcommand("nightvision", "The night-vision effect");
    night->add_option("IN", o_.in)->required();
    night->add_option("OUT", o_.out)->required();
    addQuality(night, o_.quality);
    night->callback([this] { nightVision(); });

    CLI::App* merge = parent.add_subcommand("merge", "Merge two pictures of one size");
    merge->add_option("A", o_.in)->required();
    merge->add_option("B", o_.in2)->required();
    merge->add_option("OUT", o_.out)->required();
    merge->add_flag("--channel", o_.channel,
                    "Per-channel maximum (anaglyph) instead of an even mix");
    addQuality(merge, o_.quality);
    merge->callback([this] { this->merge(); });

    CLI::App* resize = parent.add_subcommand("resize", "Resize a picture");
    resize->add_option("IN", o_.in)->required();
    resize->add_option("OUT", o_.out)->required();
    resize->add_option("W", o_.width)
        ->required()
        ->check(CLI::Range(1.0f, float(Bitmap::kMaxDimension)));
    resize->add_option("H", o_.height)
        ->required()
        ->check(CLI::Range(1.0f, float(Bitmap::kMaxDimension)));
    resize->add_flag("--smart", o_.smart, "Turn the target to the picture's shape");
    addQuality(resize, o_.quality);
    resize->callback([this] { this->resize(); });

    CLI::App* poster = parent.add_subcommand("poster", "A square poster, centred aspect fill");
    poster->add_option("IN", o_.in)->required();
    poster->add_option("OUT", o_.out)->required();
    poster->add_option("SIZE", o_.size)
        ->required()
        ->check(CLI::Range(1.0f, float(Bitmap::kMaxDimension)));
    addQuality(poster, o_.quality);
    poster->callback([this] { this->poster(); });

    CLI::App* preview =
        parent.add_subcommand("preview", "The photo viewer's display image (shorter side 320)");
    preview->add_option("IN", o_.in)->required();
    preview->add_option("OUT", o_.out, "Write it here too");
    addQuality(preview, o_.quality);
    preview->callback([this] { this->preview(); });
}

void ImageCommands::preview() const {
    requireFormat(o_.in);
    if (!o_.out.empty()) requireFormat(o_.out);
    const Image shown = CameraRollViewer::previewImage(o_.in);
    if (!shown) throw CliError::failure(o_.in + ": cannot be shown");
    if (!o_.out.empty()) {
        writePicture(context_, o_.out, shown, o_.quality);
        return;
    }
    *context_.out << nlohmann::json{{"width", shown.width()}, {"height", shown.height()}}.dump()
                  << '\n';
}

void ImageCommands::compose() const {
    requireFormat(o_.in);
    requireFormat(o_.out);
    PhotoSettings settings;
    settings.fullSizePhoto = !o_.reduce;
    settings.aspectRatio = static_cast<float>(Camera1Data::getAspectRatio(o_.ratio));
    settings.ratioChosen = o_.ratio != 0;
    settings.modification = o_.effect;
    if (!o_.stamp.empty()) settings.timeStamp = o_.stamp;
    settings.tilt = o_.tilt;

    const bool nothingToDo = o_.zoom == 1.0f && !settings.modifiedImage() && !settings.tilt &&
                             !o_.reduce && o_.orientation < 0;
    if (nothingToDo && ImageFile::formatOf(o_.in) == ImageFile::formatOf(o_.out)) {
        // Untouched: the very bytes, not a re-encoding.
        std::string error;
        const auto bytes = ImageFile::readBytes(o_.in, &error);
        if (!bytes) throw CliError::failure(error);
        const Image check = readPicture(o_.in);  // refuse what is not a picture
        if (!AtomicFile::write(o_.out, *bytes, 0644, &error)) throw CliError::failure(error);
        *context_.out << nlohmann::json{{"output", o_.out},
                                        {"width", check.width()},
                                        {"height", check.height()}}
                             .dump()
                      << '\n';
        return;
    }

    if (ImageFile::formatOf(o_.in) == ImageFile::Format::kJpeg) {
        // Only what the result needs is decoded: the kept blocks, or a DCT
        // scale when reducing.
        std::string error;
        const auto bytes = ImageFile::readBytes(o_.in, &error);
        if (!bytes) throw CliError::failure(error);
        const auto processed = PhotoProcessor::processJpeg(
            *bytes, o_.zoom, settings,
            o_.orientation >= 0 ? std::optional<int>(o_.orientation) : std::nullopt, &error);
        if (!processed) throw CliError::failure(o_.in + ": " + error);
        writePicture(context_, o_.out, *processed, o_.quality);
        return;
    }
    Image picture = readPicture(o_.in);
    if (o_.orientation >= 0) picture = picture.withOrientation(o_.orientation);
    writePicture(context_, o_.out,
                 PhotoProcessor::processPhoto(std::move(picture), o_.zoom, settings), o_.quality);
}

void ImageCommands::nightVision() const {
    requireFormat(o_.in);
    requireFormat(o_.out);
    NightVisionEffect effect;
    effect.resetProcessor();
    effect.setImage(readPicture(o_.in));
    writePicture(context_, o_.out, effect.applyEffect(), o_.quality);
}

void ImageCommands::merge() const {
    requireFormat(o_.in);
    requireFormat(o_.in2);
    requireFormat(o_.out);
    const Image a = readPicture(o_.in);
    const Image b = readPicture(o_.in2);
    writePicture(context_, o_.out,
                 o_.channel ? ImageDraw::channelMerge(a, b) : ImageDraw::simplyMerge(a, b),
                 o_.quality);
}

void ImageCommands::resize() const {
    requireFormat(o_.in);
    requireFormat(o_.out);
    const Image picture = readPicture(o_.in);
    const Size size{o_.width, o_.height};
    writePicture(
        context_, o_.out,
        o_.smart ? ImageDraw::smartResize(picture, size) : ImageDraw::simpleResize(picture, size),
        o_.quality);
}

void ImageCommands::poster() const {
    requireFormat(o_.in);
    requireFormat(o_.out);
    writePicture(context_, o_.out,
                 ImageDraw::drawPosterImage(readPicture(o_.in), Size{o_.size, o_.size}),
                 o_.quality);
}

}  // namespace kestrel::cli
