#include "core/exif/ExifValueParser.h"
#include "core/exif/InvalidEntryException.h"
#include "core/exif/LibExifEntryWrapper.h"
#include "core/exif/LibExifFileWrapper.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <libexif/exif-utils.h>

#include <cstring>

namespace kestrel {
namespace {

using test::JpegBytes;

// Fresh EXIF data, released at the end of the scope.
struct Data {
    Data() : data(exif_data_new()) {}
    ~Data() { exif_data_unref(data); }
    Data(const Data&) = delete;
    Data& operator=(const Data&) = delete;
    ExifData* data;
    ExifEntry* entry(ExifIfd ifd, int tag) const {
        return exif_content_get_entry(data->ifd[ifd], static_cast<ExifTag>(tag));
    }
};

TEST(ExifValueParserTest, AsciiTakesTheTextAndItsTerminator) {
    Data d;
    LibExifEntryWrapper make("Apple", "Make", EXIF_IFD_0, d.data);
    ExifEntry* e = d.entry(EXIF_IFD_0, EXIF_TAG_MAKE);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->format, EXIF_FORMAT_ASCII);
    EXPECT_EQ(e->components, 6u);
    EXPECT_EQ(std::memcmp(e->data, "Apple\0", 6), 0);
    EXPECT_EQ(make.value(), "Apple");
    EXPECT_EQ(make.tagName(), "Make");
    // A reference tag the library sizes as empty is sized from the text.
    LibExifEntryWrapper ref("N", "GPSLatitudeRef", EXIF_IFD_GPS, d.data);
    EXPECT_EQ(d.entry(EXIF_IFD_GPS, EXIF_TAG_GPS_LATITUDE_REF)->components, 2u);
}

TEST(ExifValueParserTest, RationalsArePairsOfIntegers) {
    Data d;
    LibExifEntryWrapper latitude("48 1 3112 100 0 1", "GPSLatitude", EXIF_IFD_GPS, d.data);
    ExifEntry* e = d.entry(EXIF_IFD_GPS, EXIF_TAG_GPS_LATITUDE);
    ASSERT_NE(e, nullptr);
    const ExifByteOrder order = exif_data_get_byte_order(d.data);
    const ExifRational expected[3] = {{48, 1}, {3112, 100}, {0, 1}};
    for (int i = 0; i < 3; ++i) {
        const ExifRational r = exif_get_rational(e->data + 8 * i, order);
        EXPECT_EQ(r.numerator, expected[i].numerator);
        EXPECT_EQ(r.denominator, expected[i].denominator);
    }
}

TEST(ExifValueParserTest, FailuresAreAnsweredNotFatal) {
    Data d;
    ExifValueParser::Result r =
        ExifValueParser::setValue(d.data, static_cast<ExifTag>(EXIF_TAG_GPS_LATITUDE), EXIF_IFD_GPS, "48 1 3112 100");
    EXPECT_EQ(r.error, "Too few components specified!");
    r = ExifValueParser::setValue(d.data, static_cast<ExifTag>(EXIF_TAG_GPS_LATITUDE), EXIF_IFD_GPS,
                                  "48 1 3112 100 0 1 99");
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.warning, "Warning; Too many components specified!");
    // Orientation is one SHORT; its low 16 bits are stored.
    r = ExifValueParser::setValue(d.data, EXIF_TAG_ORIENTATION, EXIF_IFD_0, "65542");
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(exif_get_short(d.entry(EXIF_IFD_0, EXIF_TAG_ORIENTATION)->data, exif_data_get_byte_order(d.data)), 6);
    // Formats the parser does not write.
    r = ExifValueParser::setValue(d.data, EXIF_TAG_EXIF_VERSION, EXIF_IFD_EXIF, "1 2 3 4");
    EXPECT_EQ(r.error, "Not yet implemented!");
    EXPECT_FALSE(ExifValueParser::setValue(nullptr, EXIF_TAG_MAKE, EXIF_IFD_0, "x").ok());
}

TEST(ExifValueParserTest, UserCommentCarriesTheAsciiCode) {
    Data d;
    ASSERT_TRUE(ExifValueParser::setValue(d.data, EXIF_TAG_USER_COMMENT, EXIF_IFD_EXIF, "hello").ok());
    ExifEntry* e = d.entry(EXIF_IFD_EXIF, EXIF_TAG_USER_COMMENT);
    ASSERT_EQ(e->size, 13u);
    EXPECT_EQ(std::memcmp(e->data, "ASCII\0\0\0hello", 13), 0);
}

TEST(ExifValueParserTest, LeadingIntegers) {
    EXPECT_EQ(ExifValueParser::leadingInteger("  -42abc"), -42);
    EXPECT_EQ(ExifValueParser::leadingInteger("+7"), 7);
    EXPECT_EQ(ExifValueParser::leadingInteger(""), 0);
    EXPECT_EQ(ExifValueParser::leadingInteger("x12"), 0);
    EXPECT_EQ(ExifValueParser::leadingInteger("99999999999999999999999"), std::numeric_limits<long long>::max());
}

TEST(LibExifFileWrapperTest, UnknownTagsAndIfdsAnswerNone) {
    test::TempDir dir;
    JpegBytes::write(dir / "a.jpg", JpegBytes::encoded());
    LibExifFileWrapper wrapper(dir / "a.jpg");
    ASSERT_TRUE(wrapper.isJpeg());
    EXPECT_EQ(wrapper.createEntry("x", "NoSuchTag", "0"), nullptr);
    EXPECT_EQ(wrapper.createEntry("x", "Make", "Nowhere"), nullptr);
    EXPECT_EQ(wrapper.findEntry("Make", "Nowhere"), nullptr);
    EXPECT_EQ(wrapper.findEntry("Make", "0"), nullptr);
    EXPECT_EQ(LibExifFileWrapper::getIfdIdxForName("GPS"), EXIF_IFD_GPS);
    EXPECT_EQ(LibExifFileWrapper::getIfdIdxForName("Interoperability"), EXIF_IFD_INTEROPERABILITY);
    EXPECT_EQ(LibExifFileWrapper::getIfdIdxForName("2"), -1);
    EXPECT_EQ(wrapper.getIfdModelForName("EXIF")->ifdName, "EXIF");
    for (int i = 0; i < EXIF_IFD_COUNT; ++i)
        EXPECT_EQ(exif_content_get_entry(wrapper.exifData()->ifd[i], static_cast<ExifTag>(0x9999)), nullptr);
    try {
        Data d;
        LibExifEntryWrapper bad("x", "NoSuchTag", EXIF_IFD_0, d.data);
        ADD_FAILURE() << "no exception";
    } catch (const InvalidEntryException& e) {
        EXPECT_STREQ(e.what(), "The tag name was invalid");
        EXPECT_STREQ(e.name(), "InvalidEntryException");
    }
}

TEST(LibExifFileWrapperTest, ATagAlreadyThereEndsUpOnceWithTheNewValue) {
    test::TempDir dir;
    JpegBytes::write(dir / "a.jpg", JpegBytes::encoded());
    {
        LibExifFileWrapper wrapper(dir / "a.jpg");
        ASSERT_NE(wrapper.createEntry("First", "Make", "0"), nullptr);
        ASSERT_NE(wrapper.createEntry("48 1 5150 100 0 1", "GPSLatitude", "GPS"), nullptr);
        ASSERT_TRUE(wrapper.saveImageFile());
    }
    {
        LibExifFileWrapper wrapper(dir / "a.jpg");
        ASSERT_NE(wrapper.findEntry("Make", "0"), nullptr);
        EXPECT_EQ(wrapper.findEntry("Make", "0")->value(), "First");
        ASSERT_NE(wrapper.createEntry("Second", "Make", "0"), nullptr);
        ASSERT_NE(wrapper.createEntry("2 1 1767 100 0 1", "GPSLatitude", "GPS"), nullptr);
        ASSERT_TRUE(wrapper.saveImageFile());
    }
    LibExifFileWrapper wrapper(dir / "a.jpg");
    int makes = 0;
    for (const auto& entry : wrapper.getIfdModelForName("0")->ifdEntries) makes += entry->tagName() == "Make";
    EXPECT_EQ(makes, 1);
    EXPECT_EQ(wrapper.findEntry("Make", "0")->value(), "Second");
    EXPECT_EQ(wrapper.exifData()->ifd[EXIF_IFD_GPS]->count, 2u);  // GPSVersionID and GPSLatitude
    EXPECT_NE(wrapper.findEntry("GPSLatitude", "GPS")->value().find("17.67"), std::string::npos);
}

TEST(LibExifFileWrapperTest, ACoordinateStoredAsTextIsReplacedByRationals) {
    test::TempDir dir;
    JpegBytes::write(dir / "a.jpg", JpegBytes::encoded());
    {
        LibExifFileWrapper wrapper(dir / "a.jpg");
        ExifData* data = wrapper.exifData();
        ExifEntry* text = exif_entry_new();
        text->tag = static_cast<ExifTag>(EXIF_TAG_GPS_LATITUDE);
        exif_content_add_entry(data->ifd[EXIF_IFD_GPS], text);
        text->format = EXIF_FORMAT_ASCII;
        text->data = static_cast<unsigned char*>(std::malloc(6));
        std::memcpy(text->data, "48.85", 6);
        text->size = 6;
        text->components = 6;
        exif_entry_unref(text);
        ASSERT_TRUE(wrapper.saveImageFile());
    }
    LibExifFileWrapper wrapper(dir / "a.jpg");
    ASSERT_NE(wrapper.createEntry("48 1 5150 100 0 1", "GPSLatitude", "GPS"), nullptr);
    ExifEntry* e = exif_content_get_entry(wrapper.exifData()->ifd[EXIF_IFD_GPS], static_cast<ExifTag>(EXIF_TAG_GPS_LATITUDE));
    EXPECT_EQ(e->format, EXIF_FORMAT_RATIONAL);
    EXPECT_EQ(e->components, 3u);
}

TEST(LibExifFileWrapperTest, NotAJpegIsNeverWritten) {
    test::TempDir dir;
    const test::Bytes truncated = [] {
        test::Bytes b = JpegBytes::encoded();
        b.resize(b.size() / 2);
        return b;
    }();
    JpegBytes::write(dir / "cut.jpg", truncated);
    LibExifFileWrapper wrapper(dir / "cut.jpg");
    EXPECT_FALSE(wrapper.isJpeg());
    EXPECT_EQ(wrapper.createEntry("x", "Make", "0"), nullptr);
    EXPECT_FALSE(wrapper.saveImageFile());
    EXPECT_EQ(JpegBytes::read(dir / "cut.jpg"), truncated);
    LibExifFileWrapper missing(dir / "missing.jpg");
    EXPECT_FALSE(missing.saveImageFile());
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.jpg"));
}

}  // namespace
}  // namespace kestrel
