#include "core/exif/ExifReader.h"
#include "core/exif/ExifWriter.h"
#include "core/exif/LibExifFileWrapper.h"
#include "support/ExifTags.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <libexif/exif-tag.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace kestrel {
namespace {

using test::JpegBytes;
using Clock = std::chrono::system_clock;

// Pins the local time zone for a test.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (old_.empty()) ::unsetenv("TZ"); else ::setenv("TZ", old_.c_str(), 1);
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::string old_;
};

Clock::time_point utc(int year, int month, int day, int h, int m, int s) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = h;
    t.tm_min = m;
    t.tm_sec = s;
    return Clock::from_time_t(::timegm(&t));
}

std::string value(const LibExifFileWrapper& w, const char* tag, const char* ifd) {
    const auto* e = w.findEntry(tag, ifd);
    return e ? e->value() : "<none>";
}

class ExifWriterTest : public ::testing::Test {
protected:
    void SetUp() override { JpegBytes::write(file(), JpegBytes::encoded()); }
    std::filesystem::path file() const { return dir / "photo.jpg"; }
    ExifWriter writer() const {
        ExifWriter w(file());
        w.setIdentity({"Pine64", "PinePhone"});
        w.setNow(utc(2026, 12, 31, 22, 30, 5));
        return w;
    }
    test::TempDir dir;
};

TEST(ExifTextTest, TheTwoGpsForms) {
    EXPECT_EQ(ExifWriter::minutesText(48.8584), "48 1 5150 100 0 1");
    EXPECT_EQ(ExifWriter::minutesText(2.2945), "2 1 1767 100 0 1");
    EXPECT_EQ(ExifWriter::minutesText(-33.8568), "33 1 5140 100 0 1");
    EXPECT_EQ(ExifWriter::gpsText(-33.8568f), "33 1 51 1 2448 100");
    EXPECT_EQ(ExifWriter::gpsText(0.0f), "0 1 0 1 0 100");
}

TEST(ExifTextTest, DatesUseTheCalendarYearAndGpsTimeIsUtc) {
    ScopedTimeZone zone("UTC");
    // 2024-12-30 is in ISO week 1 of 2025: a week-based year would say 2025.
    EXPECT_EQ(ExifWriter::dateText(utc(2024, 12, 30, 9, 5, 7)), "2024:12:30 09:05:07");
    EXPECT_EQ(ExifWriter::timeStampText(utc(2024, 12, 30, 9, 5, 7)), "9 1 5 1 7 1");
    ScopedTimeZone paris("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(ExifWriter::dateText(utc(2026, 7, 1, 23, 0, 0)), "2026:07:02 01:00:00");
    EXPECT_EQ(ExifWriter::timeStampText(utc(2026, 7, 1, 23, 0, 0)), "23 1 0 1 0 1");
}

TEST_F(ExifWriterTest, AFileWithoutExifGetsTheWholeTagSet) {
    ScopedTimeZone zone("UTC");
    ExifWriter w = writer();
    ASSERT_TRUE(w.write(GeoPosition{48.8584, 2.2945, utc(2026, 12, 31, 9, 5, 7)}));
    LibExifFileWrapper stamped(file());
    EXPECT_EQ(value(stamped, "Make", "0"), "Pine64");
    EXPECT_EQ(value(stamped, "Model", "0"), "PinePhone");
    EXPECT_EQ(value(stamped, "DateTime", "0"), "2026:12:31 22:30:05");
    EXPECT_EQ(value(stamped, "DateTimeOriginal", "EXIF"), "2026:12:31 22:30:05");
    EXPECT_EQ(value(stamped, "DateTimeDigitized", "EXIF"), "2026:12:31 22:30:05");
    EXPECT_EQ(value(stamped, "GPSLatitudeRef", "GPS"), "N");
    EXPECT_EQ(value(stamped, "GPSLongitudeRef", "GPS"), "E");
    EXPECT_EQ(value(stamped, "GPSTimeStamp", "GPS"), "09:05:07.00");
    const auto position = ExifReader(file()).read();
    ASSERT_TRUE(position);
    EXPECT_FLOAT_EQ(static_cast<float>(position->latitude), 48.858334f);
    EXPECT_NEAR(position->longitude, 2.2945, 1e-4);
}

TEST_F(ExifWriterTest, TheSecondsFormReadsBackToItsPosition) {
    ExifWriter w = writer();
    const FixedLocationSource source(GeoPosition{-33.8568, 151.2153, Clock::now()});
    ASSERT_TRUE(w.write(&source));
    LibExifFileWrapper stamped(file());
    EXPECT_EQ(value(stamped, "GPSLatitudeRef", "GPS"), "S");
    EXPECT_EQ(value(stamped, "GPSLatitude", "GPS"), "33, 51, 24.48");
    const auto position = ExifReader(file()).read();
    ASSERT_TRUE(position);
    EXPECT_NEAR(position->latitude, -33.8568, 1e-4);
    EXPECT_NEAR(position->longitude, 151.2153, 1e-4);
}

TEST_F(ExifWriterTest, WithoutAPositionOnlyTheFirstFiveTags) {
    ExifWriter w = writer();
    const FixedLocationSource nowhere(std::nullopt);
    ASSERT_TRUE(w.write(&nowhere));
    LibExifFileWrapper stamped(file());
    EXPECT_EQ(value(stamped, "Make", "0"), "Pine64");
    EXPECT_EQ(stamped.exifData()->ifd[EXIF_IFD_GPS]->count, 0u);
    EXPECT_FALSE(ExifReader(file()).read());
}

TEST_F(ExifWriterTest, ZeroIsNorthAndEastAndRestampingKeepsTagsSingle) {
    ExifWriter w = writer();
    ASSERT_TRUE(w.write(GeoPosition{0.0, 0.0, Clock::now()}));
    ASSERT_TRUE(w.write(GeoPosition{-1.5, -2.25, Clock::now()}));
    LibExifFileWrapper stamped(file());
    EXPECT_EQ(value(stamped, "GPSLatitudeRef", "GPS"), "S");
    EXPECT_EQ(value(stamped, "GPSLongitudeRef", "GPS"), "W");
    std::map<std::string, int> seen;
    for (const auto& ifd : stamped.imageFileDirectories())
        for (const auto& entry : ifd.ifdEntries) ++seen[ifd.ifdName + "/" + entry->tagName()];
    for (const auto& [tag, count] : seen) EXPECT_EQ(count, 1) << tag;
    const auto position = ExifReader(file()).read();
    ASSERT_TRUE(position);
    EXPECT_FLOAT_EQ(static_cast<float>(position->latitude), -1.5f);
    EXPECT_FLOAT_EQ(static_cast<float>(position->longitude), -2.25f);
}

TEST_F(ExifWriterTest, AFileThatCannotBeStampedIsUntouchedAndReported) {
    test::Bytes cut = JpegBytes::encoded();
    cut.resize(cut.size() - 10);
    JpegBytes::write(file(), cut);
    ExifWriter w = writer();
    EXPECT_FALSE(w.write(GeoPosition{1, 2, Clock::now()}));
    EXPECT_EQ(JpegBytes::read(file()), cut);
    EXPECT_FALSE(ExifReader(file()).read());
}

TEST_F(ExifWriterTest, StampingInMemoryGivesTheFileTheTwoStepRoadGives) {
    const test::Bytes photo = JpegBytes::read(file());
    const FixedLocationSource source(GeoPosition{-33.8568, 151.2153, utc(2026, 12, 31, 9, 5, 7)});
    const GeoPosition given{48.8584, -2.2945, utc(2026, 12, 31, 9, 5, 7)};

    // The location source's position, seconds form: byte for byte the file.
    ExifWriter w = writer();
    const auto inMemory = w.stamped(photo, &source);
    ASSERT_TRUE(inMemory);
    ASSERT_TRUE(w.write(&source));
    EXPECT_EQ(*inMemory, JpegBytes::read(file()));
    EXPECT_EQ(test::withoutExif(*inMemory), photo);

    // A given position, minutes form, against date and device tags first and
    // the position's tags in a second rewrite: the same tags, same values.
    JpegBytes::write(file(), photo);
    ASSERT_TRUE(w.write(static_cast<const LocationSource*>(nullptr)));
    ASSERT_TRUE(w.write(given));
    const auto oneStep = w.stamped(photo, given);
    ASSERT_TRUE(oneStep);
    const auto tags = test::exifTagsOf(*oneStep);
    EXPECT_EQ(tags, test::exifTagsOf(JpegBytes::read(file())));
    EXPECT_NE(std::find(tags.begin(), tags.end(), "GPS/GPSLongitudeRef=W"), tags.end());
    EXPECT_EQ(test::withoutExif(*oneStep), photo);

    // What is no JPEG gives nothing to write.
    test::Bytes cut = photo;
    cut.resize(cut.size() - 10);
    EXPECT_FALSE(w.stamped(cut, given));
    EXPECT_FALSE(w.stamped(JpegBytes::text("no picture"), &source));
}

TEST(ExifReaderTest, GpsValuesFromRenderedTexts) {
    EXPECT_FLOAT_EQ(ExifReader::getGPSValue(ExifReader::valueParts("48, 51.50,  0")), 48.858334f);
    EXPECT_FLOAT_EQ(ExifReader::getGPSValue(ExifReader::valueParts("48, 51, 30.00")), 48.858334f);
    EXPECT_FLOAT_EQ(ExifReader::getGPSValue({"48", "1", "5150", "100", "0", "1"}), 48.858334f);
    EXPECT_EQ(ExifReader::valueParts("48, 51.50,  0").size(), 3u);
    EXPECT_EQ(ExifReader::valueParts(" 2, 17.67,  0").size(), 3u);
    EXPECT_EQ(ExifReader::valueParts("").size(), 0u);
}

TEST_F(ExifWriterTest, MalformedGpsTagsReadAsNone) {
    auto stampWith = [&](const char* latitude, const char* longitude) {
        JpegBytes::write(file(), JpegBytes::encoded());
        LibExifFileWrapper w(file());
        w.createEntry("N", "GPSLatitudeRef", "GPS");
        w.createEntry(latitude, "GPSLatitude", "GPS");
        w.createEntry("E", "GPSLongitudeRef", "GPS");
        w.createEntry(longitude, "GPSLongitude", "GPS");
        ASSERT_TRUE(w.saveImageFile());
    };
    stampWith("48 1 5150 100 0 1", "2 1 1767 100 0 1");
    EXPECT_TRUE(ExifReader(file()).read());
    stampWith("48 0 5150 100 0 1", "2 1 1767 100 0 1");  // a zero denominator
    EXPECT_FALSE(ExifReader(file()).read());
    stampWith("0 0 0 0 0 0", "2 1 1767 100 0 1");
    EXPECT_FALSE(ExifReader(file()).read());
}

// Every entry of the tag, in whichever IFD, as its raw bytes.
std::vector<std::string> rawEntries(const LibExifFileWrapper& w, ExifTag tag) {
    std::vector<std::string> found;
    for (int i = 0; i < EXIF_IFD_COUNT; ++i) {
        const ExifContent* content = w.exifData()->ifd[i];
        for (unsigned k = 0; k < content->count; ++k)
            if (content->entries[k]->tag == tag)
                found.emplace_back(reinterpret_cast<const char*>(content->entries[k]->data),
                                   content->entries[k]->size);
    }
    return found;
}

TEST_F(ExifWriterTest, APhotoKestrelTookRecordsWhyAndTheMomentItWasTaken) {
    ScopedTimeZone zone("UTC");
    const Clock::time_point taken = utc(2026, 12, 31, 22, 29, 58) + std::chrono::milliseconds(45);
    ExifWriter w = writer();  // written at 22:30:05
    w.setOrigin(PhotoOrigin{"sound -21.4 dBFS over -38 dBFS", taken});
    ASSERT_TRUE(w.write(static_cast<const LocationSource*>(nullptr)));
    LibExifFileWrapper stamped(file());
    EXPECT_EQ(value(stamped, "DateTime", "0"), "2026:12:31 22:30:05");
    EXPECT_EQ(value(stamped, "DateTimeDigitized", "EXIF"), "2026:12:31 22:30:05");
    EXPECT_EQ(value(stamped, "DateTimeOriginal", "EXIF"), "2026:12:31 22:29:58");
    EXPECT_EQ(value(stamped, "SubSecTimeOriginal", "EXIF"), "045");
    // Character code ASCII, then the text, no terminator.
    const auto comments = rawEntries(stamped, EXIF_TAG_USER_COMMENT);
    ASSERT_EQ(comments.size(), 1u);
    EXPECT_EQ(comments[0], std::string("ASCII\0\0\0", 8) + "Kestrel: sound -21.4 dBFS over -38 dBFS");
    EXPECT_EQ(ExifReader(file()).userComment(), "Kestrel: sound -21.4 dBFS over -38 dBFS");

    // The milliseconds of the second, as three digits, never rounded up into the next.
    struct Case {
        int ms;
        const char* text;
    };
    for (const Case& c : {Case{0, "000"}, Case{7, "007"}, Case{999, "999"}, Case{1000, "000"}})
        EXPECT_EQ(ExifWriter::subSecondText(utc(2026, 1, 2, 3, 4, 5) + std::chrono::milliseconds(c.ms)), c.text)
            << c.ms;
    EXPECT_EQ(ExifWriter::subSecondText(utc(2026, 1, 2, 3, 4, 5) + std::chrono::microseconds(999999)), "999");
}

TEST_F(ExifWriterTest, WithoutAnOriginNoCommentAndTheOriginalDateIsTheMomentOfWriting) {
    ScopedTimeZone zone("UTC");
    ExifWriter w = writer();
    ASSERT_TRUE(w.write(static_cast<const LocationSource*>(nullptr)));
    LibExifFileWrapper stamped(file());
    EXPECT_EQ(value(stamped, "DateTimeOriginal", "EXIF"), "2026:12:31 22:30:05");
    EXPECT_EQ(stamped.findEntry("SubSecTimeOriginal", "EXIF"), nullptr);
    EXPECT_TRUE(rawEntries(stamped, EXIF_TAG_USER_COMMENT).empty());
    EXPECT_FALSE(ExifReader(file()).userComment());
}

// Another camera's comment, in its place and one misplaced in IFD 0, in the
// codes writers use: the photo ends with Kestrel's alone, once, and the rest
// of the other camera's tags stay.
TEST_F(ExifWriterTest, AJpegThatAlreadyCarriesAUserCommentEndsWithOne) {
    struct Case {
        const char* what;
        std::string bytes;
        ExifFormat format;
        bool misplacedToo;
    };
    const std::string longer = std::string("ASCII\0\0\0", 8) + "Holiday at the sea, shot on another camera";
    for (const Case& c : {Case{"ascii", longer, EXIF_FORMAT_UNDEFINED, false},
                          Case{"unicode", std::string("UNICODE\0H\0i\0", 12), EXIF_FORMAT_UNDEFINED, false},
                          Case{"empty code", std::string(8, '\0') + "        ", EXIF_FORMAT_UNDEFINED, false},
                          Case{"plain text", std::string("plain\0", 6), EXIF_FORMAT_ASCII, false},
                          Case{"also in IFD 0", longer, EXIF_FORMAT_UNDEFINED, true}}) {
        SCOPED_TRACE(c.what);
        JpegBytes::write(file(), JpegBytes::encoded());
        {
            LibExifFileWrapper other(file());
            ASSERT_TRUE(other.createEntry("OtherCam", "Make", "0"));
            ASSERT_TRUE(other.createEntry("A description", "ImageDescription", "0"));
            for (const int ifd : c.misplacedToo ? std::vector<int>{EXIF_IFD_EXIF, EXIF_IFD_0}
                                                : std::vector<int>{EXIF_IFD_EXIF}) {
                ExifEntry* e = exif_entry_new();
                ASSERT_NE(e, nullptr);
                e->tag = EXIF_TAG_USER_COMMENT;
                exif_content_add_entry(other.exifData()->ifd[ifd], e);
                exif_entry_initialize(e, EXIF_TAG_USER_COMMENT);
                std::free(e->data);
                e->data = static_cast<unsigned char*>(std::malloc(c.bytes.size()));
                std::memcpy(e->data, c.bytes.data(), c.bytes.size());
                e->size = static_cast<unsigned>(c.bytes.size());
                e->components = c.bytes.size();
                e->format = c.format;
                exif_entry_unref(e);
            }
            ASSERT_TRUE(other.saveImageFile());
        }
        ASSERT_EQ(rawEntries(LibExifFileWrapper(file()), EXIF_TAG_USER_COMMENT).size(), c.misplacedToo ? 2u : 1u);
        ExifWriter w = writer();
        w.setOrigin(PhotoOrigin{"timer 10 s", Clock::now()});
        ASSERT_TRUE(w.write(static_cast<const LocationSource*>(nullptr)));
        const LibExifFileWrapper stamped(file());
        const auto comments = rawEntries(stamped, EXIF_TAG_USER_COMMENT);
        ASSERT_EQ(comments.size(), 1u);
        EXPECT_EQ(comments[0], std::string("ASCII\0\0\0", 8) + "Kestrel: timer 10 s");
        EXPECT_EQ(value(stamped, "Make", "0"), "Pine64");
        EXPECT_EQ(value(stamped, "ImageDescription", "0"), "A description");
        EXPECT_EQ(ExifReader(file()).userComment(), "Kestrel: timer 10 s");
    }
}

}  // namespace
}  // namespace kestrel
