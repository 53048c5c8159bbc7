// Stamping photos from other cameras and programs, with exiftool as the
// independent judge of what the files hold. The photos come from Debian's
// packages (scripts/fetch-samples.sh); KESTREL_SAMPLES may name another folder.
#include "core/exif/ExifReader.h"
#include "core/exif/ExifWriter.h"
#include "core/exif/JpegSectionFile.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::JpegBytes;

fs::path samples() {
    const char* dir = std::getenv("KESTREL_SAMPLES");
    return dir && *dir ? fs::path(dir) : test::testPaths().samplesDir;
}

std::string run(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>/dev/null").c_str(), "r"),
                                               ::pclose);
    if (!pipe) return out;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0)
        out.append(buffer.data(), n);
    return out;
}

int countLines(const std::string& text, const std::string& containing) {
    int count = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        count += line.find(containing) != std::string::npos;
    return count;
}

// The file without its EXIF segment: everything Kestrel must keep.
Bytes withoutExif(const Bytes& bytes) {
    const auto file = JpegSectionFile::parse(bytes);
    if (!file) return {};
    Bytes out;
    std::size_t last = 0;
    for (const auto& s : file->sections()) {
        if (s.marker == 0xE1 &&
            JpegSectionFile::isExifBlock({bytes.data() + s.contentBegin, s.contentSize()})) {
            out.insert(out.end(), bytes.begin() + static_cast<long>(last),
                       bytes.begin() + static_cast<long>(s.begin));
            last = s.end;
            break;
        }
    }
    out.insert(out.end(), bytes.begin() + static_cast<long>(last), bytes.end());
    return out;
}

class SamplePhotosTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::is_directory(samples()))
            << samples() << " is missing: run scripts/fetch-samples.sh";
    }
    test::TempDir dir;
};

TEST_F(SamplePhotosTest, StampingKeepsEverythingElseAndExiftoolReadsTheTags) {
    const std::vector<std::string> photos{"sample1.jpg",         "has-lens-info.jpg",
                                          "tower.jpg",           "tower_progressive.jpg",
                                          "tower_grayscale.jpg", "geodegrees_as_string.jpg",
                                          "large_image.jpg",     "infinite_loop_exif.jpg",
                                          "f1-exif.jpg",         "f6-exif.jpg"};
    for (const std::string& name : photos) {
        SCOPED_TRACE(name);
        const fs::path photo = dir / name;
        fs::copy_file(samples() / name, photo, fs::copy_options::overwrite_existing);
        const Bytes before = JpegBytes::read(photo);
        const std::string makerNotesBefore =
            run("exiftool -a -G0 -s -MakerNotes:all " + photo.string());
        const std::string thumbnailBefore = run("exiftool -b -ThumbnailImage " + photo.string());
        const std::string warningsBefore = run("exiftool -a -s -Warning " + photo.string());

        ExifWriter writer(photo);
        writer.setIdentity({"Pine64", "PinePhone"});
        ASSERT_TRUE(writer.write(GeoPosition{48.8584, -2.2945, std::chrono::system_clock::now()}));

        const Bytes after = JpegBytes::read(photo);
        EXPECT_EQ(withoutExif(after), withoutExif(before))
            << "another segment or the image data changed";
        const std::string tags = run("exiftool -a -G1 -s " + photo.string());
        EXPECT_EQ(countLines(tags, "[IFD0]          Make "), 1) << tags;
        EXPECT_NE(tags.find(": Pine64"), std::string::npos);
        EXPECT_EQ(countLines(tags, "[IFD0]          ModifyDate "), 1);
        EXPECT_EQ(countLines(tags, "[ExifIFD]       DateTimeOriginal "), 1);
        EXPECT_EQ(countLines(tags, "[GPS]           GPSLatitude "), 1);
        EXPECT_EQ(countLines(tags, "[GPS]           GPSLongitudeRef "), 1);
        EXPECT_NE(tags.find("GPSLatitude                     : 48 deg 51' 30.00\""),
                  std::string::npos)
            << tags;
        EXPECT_NE(tags.find("GPSLongitudeRef                 : West"), std::string::npos);
        EXPECT_EQ(run("exiftool -a -G0 -s -MakerNotes:all " + photo.string()), makerNotesBefore);
        EXPECT_EQ(run("exiftool -b -ThumbnailImage " + photo.string()), thumbnailBefore);
        // No new warnings (a corrupt block of another program may lose some).
        std::istringstream warnings(run("exiftool -a -s -Warning " + photo.string()));
        for (std::string line; std::getline(warnings, line);)
            EXPECT_NE(warningsBefore.find(line), std::string::npos) << "new: " << line;
        const auto position = ExifReader(photo).read();
        ASSERT_TRUE(position);
        EXPECT_NEAR(position->latitude, 48.8583, 1e-3);
        EXPECT_NEAR(position->longitude, -2.2945, 1e-3);
    }
}

TEST_F(SamplePhotosTest, MakerNotesAndThumbnailsAreThereToKeep) {
    // The set above is only a test of maker notes if it has some.
    EXPECT_GT(countLines(run("exiftool -a -G0 -s -MakerNotes:all " +
                             (samples() / "has-lens-info.jpg").string()),
                         "[MakerNotes]"),
              0);
    EXPECT_GT(run("exiftool -b -ThumbnailImage " + (samples() / "sample1.jpg").string()).size(),
              1000u);
}

TEST_F(SamplePhotosTest, PositionsOfOtherCamerasReadAsExiftoolReadsThem) {
    for (const std::string name : {"sample1.jpg", "has-lens-info.jpg", "tower.jpg"}) {
        SCOPED_TRACE(name);
        const auto position = ExifReader(samples() / name).read();
        ASSERT_TRUE(position);
        double lat = 0, lon = 0;
        const std::string oracle =
            run("exiftool -n -s3 -GPSLatitude -GPSLongitude " + (samples() / name).string());
        ASSERT_EQ(std::sscanf(oracle.c_str(), "%lf %lf", &lat, &lon), 2) << oracle;
        EXPECT_NEAR(position->latitude, lat, 1e-3);
        EXPECT_NEAR(position->longitude, lon, 1e-3);
    }
    // Degrees written as text are not a position.
    EXPECT_FALSE(ExifReader(samples() / "geodegrees_as_string.jpg").read());
}

TEST_F(SamplePhotosTest, TruncatedAndCorruptPhotosAreLeftUntouched) {
    for (const std::string name :
         {"2012-12-21-11-15-19-sep-IMG_0001.jpg", "huge_tag_exif.jpg", "max_uint32_exif.jpg"}) {
        SCOPED_TRACE(name);
        const fs::path photo = dir / name;
        fs::copy_file(samples() / name, photo, fs::copy_options::overwrite_existing);
        const Bytes before = JpegBytes::read(photo);
        EXPECT_FALSE(ExifWriter::writePhoto(photo, GeoPosition{1, 2, {}}));
        EXPECT_EQ(JpegBytes::read(photo), before);
        ExifReader(photo).read();  // must not crash
    }
}

}  // namespace
}  // namespace kestrel
