#include "core/exif/JpegSectionFile.h"
#include "core/imaging/JpegCodec.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using test::Bytes;
using test::JpegBytes;

Bytes exifContent(const std::string& payload) {
    Bytes content = JpegBytes::text(std::string("Exif\0\0", 6));
    content.insert(content.end(), payload.begin(), payload.end());
    return content;
}

// The file minus the byte range [from, to).
Bytes without(const Bytes& bytes, std::size_t from, std::size_t to) {
    Bytes out(bytes.begin(), bytes.begin() + static_cast<long>(from));
    out.insert(out.end(), bytes.begin() + static_cast<long>(to), bytes.end());
    return out;
}

TEST(JpegSectionFileTest, UntouchedFilesSerializeToTheSameBytes) {
    const Bytes jpeg = JpegBytes::encoded();
    const auto file = JpegSectionFile::parse(jpeg);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->serialize(), jpeg);
    EXPECT_FALSE(file->exifBlock());
    EXPECT_EQ(file->sections().front().marker, 0xD8);
}

TEST(JpegSectionFileTest, ANewExifBlockGoesAfterTheJfifSegment) {
    const Bytes jpeg = JpegBytes::encoded();
    auto file = JpegSectionFile::parse(jpeg);
    ASSERT_TRUE(file);
    const Bytes block = exifContent("MM-new-block");
    ASSERT_TRUE(file->setExifBlock(block));
    const Bytes out = file->serialize();
    const std::size_t at = JpegBytes::afterApp0(jpeg);
    EXPECT_EQ(out, JpegBytes::spliced(jpeg, at, JpegBytes::segment(0xE1, block)));
    const auto reread = JpegSectionFile::parse(out);
    ASSERT_TRUE(reread && reread->exifBlock());
    EXPECT_EQ(Bytes(reread->exifBlock()->begin(), reread->exifBlock()->end()), block);
    EXPECT_TRUE(JpegCodec::decode(out));  // still a picture
}

TEST(JpegSectionFileTest, TheExifBlockIsReplacedInPlaceAndOtherApp1SegmentsKept) {
    const Bytes jpeg = JpegBytes::encoded();
    const Bytes xmp = JpegBytes::segment(0xE1, JpegBytes::text("http://ns.adobe.com/xap/1.0/\0<x/>"));
    const Bytes oldExif = JpegBytes::segment(0xE1, exifContent("II-old"));
    const Bytes comment = JpegBytes::segment(0xFE, JpegBytes::text("a comment"));
    const std::size_t at = JpegBytes::afterApp0(jpeg);
    Bytes input = JpegBytes::spliced(jpeg, at, xmp);
    input = JpegBytes::spliced(input, at + xmp.size(), oldExif);
    input = JpegBytes::spliced(input, at + xmp.size() + oldExif.size(), comment);

    auto file = JpegSectionFile::parse(input);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->exifBlock());
    EXPECT_EQ(file->exifBlock()->size(), 12u);
    const Bytes block = exifContent("MM-the-new-and-longer-block");
    ASSERT_TRUE(file->setExifBlock(block));
    const Bytes expected = JpegBytes::spliced(without(input, at + xmp.size(), at + xmp.size() + oldExif.size()),
                                              at + xmp.size(), JpegBytes::segment(0xE1, block));
    EXPECT_EQ(file->serialize(), expected);
}

TEST(JpegSectionFileTest, FillBytesAndDataAfterTheEndOfImageAreKept) {
    Bytes jpeg = JpegBytes::encoded();
    const std::size_t at = JpegBytes::afterApp0(jpeg);
    jpeg = JpegBytes::spliced(jpeg, at, Bytes{0xFF, 0xFF, 0xFF});  // fill before the next marker
    jpeg.insert(jpeg.end(), {'t', 'r', 'a', 'i', 'l', 0xFF, 0xD9});
    auto file = JpegSectionFile::parse(jpeg);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->serialize(), jpeg);
    ASSERT_TRUE(file->setExifBlock(exifContent("x")));
    const Bytes out = file->serialize();
    EXPECT_EQ(Bytes(out.end() - 7, out.end()), Bytes({'t', 'r', 'a', 'i', 'l', 0xFF, 0xD9}));
}

TEST(JpegSectionFileTest, RestartMarkersAndStuffedBytesInScansAreFollowed) {
    Bytes jpeg = JpegBytes::encoded();
    // Restart markers and a stuffed 0xFF00 inside the entropy-coded data.
    const std::size_t eoi = jpeg.size() - 2;
    jpeg = JpegBytes::spliced(jpeg, eoi, Bytes{0xFF, 0xD0, 0x12, 0xFF, 0x00, 0xFF, 0xD7, 0x34});
    const auto file = JpegSectionFile::parse(jpeg);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->serialize(), jpeg);
    // Two start-of-image markers.
    const Bytes twice = JpegBytes::spliced(JpegBytes::encoded(), 2, Bytes{0xFF, 0xD8});
    ASSERT_TRUE(JpegSectionFile::parse(twice));
    EXPECT_EQ(JpegSectionFile::parse(twice)->serialize(), twice);
}

TEST(JpegSectionFileTest, WhatCannotBeAccountedForIsRefused) {
    const Bytes jpeg = JpegBytes::encoded();
    const std::size_t at = JpegBytes::afterApp0(jpeg);
    std::vector<std::pair<std::string, Bytes>> bad{
        {"empty", {}},
        {"one byte", {0xFF}},
        {"no start of image", Bytes(jpeg.begin() + 2, jpeg.end())},
        {"length 0", JpegBytes::spliced(jpeg, at, Bytes{0xFF, 0xE5, 0x00, 0x00})},
        {"length 1", JpegBytes::spliced(jpeg, at, Bytes{0xFF, 0xE5, 0x00, 0x01})},
        {"length past the end", JpegBytes::spliced(Bytes(jpeg.begin(), jpeg.begin() + static_cast<long>(at)), at,
                                                    Bytes{0xFF, 0xE5, 0x10, 0x00, 1, 2})},
        {"no end of image", Bytes(jpeg.begin(), jpeg.end() - 2)},
        {"end of image before any scan", Bytes{0xFF, 0xD8, 0xFF, 0xD9}},
        {"garbage where a marker belongs", JpegBytes::spliced(jpeg, at, Bytes{0x12})},
        {"a marker below 0xC0", JpegBytes::spliced(jpeg, at, Bytes{0xFF, 0x45, 0x00, 0x02})},
    };
    for (const auto& [what, bytes] : bad) {
        std::string error;
        EXPECT_FALSE(JpegSectionFile::parse(bytes, &error)) << what;
        EXPECT_FALSE(error.empty()) << what;
    }
    // Every truncation of a valid file is refused, never read in part.
    for (std::size_t keep = 0; keep + 1 < jpeg.size(); ++keep)
        ASSERT_FALSE(JpegSectionFile::parse(Bytes(jpeg.begin(), jpeg.begin() + static_cast<long>(keep))))
            << "kept " << keep;
}

TEST(JpegSectionFileTest, AnExifBlockTooLargeForOneSegmentIsRefused) {
    auto file = JpegSectionFile::parse(JpegBytes::encoded());
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->setExifBlock(exifContent(std::string(JpegSectionFile::kMaxSegmentContent - 6, 'x'))));
    std::string error;
    EXPECT_FALSE(file->setExifBlock(exifContent(std::string(JpegSectionFile::kMaxSegmentContent - 5, 'x')), &error));
    EXPECT_NE(error.find("does not fit"), std::string::npos);
    EXPECT_FALSE(file->setExifBlock(JpegBytes::text("Exig\0\0abc")));
}

TEST(JpegSectionFileTest, SavingKeepsTheFilesModeAndReplacesItWhole) {
    test::TempDir dir;
    const auto path = dir / "photo.jpg";
    JpegBytes::write(path, JpegBytes::encoded());
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    auto file = JpegSectionFile::load(path);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->setExifBlock(exifContent("MM")));
    ASSERT_TRUE(file->save(path));
    EXPECT_EQ(JpegBytes::read(path), file->serialize());
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0640));
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// A photo of noise (a large image-data section) whose tags and other
// segments together pass the first reads of a tags-only reading.
Bytes photoWithLargeSegments() {
    Bitmap bitmap(1200, 1200);
    std::uint32_t state = 12345;
    for (int y = 0; y < bitmap.height(); ++y) {
        std::uint8_t* p = bitmap.row(y);
        for (int x = 0; x < bitmap.width() * 4; ++x) {
            state = state * 1664525u + 1013904223u;
            p[x] = static_cast<std::uint8_t>(state >> 24);
        }
    }
    Bytes jpeg = *JpegCodec::encode(Image(std::move(bitmap)), 0.95);
    Bytes segments;
    const Bytes block = exifContent("MM-tags");
    segments.insert(segments.end(), {0xFF, 0xE1, static_cast<std::uint8_t>((block.size() + 2) >> 8),
                                     static_cast<std::uint8_t>(block.size() + 2)});
    segments.insert(segments.end(), block.begin(), block.end());
    for (int k = 0; k < 5; ++k) {  // 5 APP2 segments of 60,000 bytes, as a colour profile comes
        segments.insert(segments.end(), {0xFF, 0xE2, 0xEA, 0x62});
        segments.insert(segments.end(), 60000, static_cast<std::uint8_t>(k));
    }
    return JpegBytes::spliced(jpeg, JpegBytes::afterApp0(jpeg), segments);
}

bool sameSections(const JpegSectionFile& a, const JpegSectionFile& b) {
    if (a.sections().size() != b.sections().size()) return false;
    for (std::size_t i = 0; i < a.sections().size(); ++i) {
        const auto& x = a.sections()[i];
        const auto& y = b.sections()[i];
        if (x.marker != y.marker || x.begin != y.begin || x.end != y.end || x.contentBegin != y.contentBegin)
            return false;
    }
    return true;
}

TEST(JpegSectionFileTest, ATagsOnlyReadingStopsAtTheImageDataAndCannotBeWritten) {
    test::TempDir dir;
    const auto path = dir / "photo.jpg";
    const Bytes jpeg = photoWithLargeSegments();
    ASSERT_GT(jpeg.size(), 1u << 20);  // more than the reads that find the segments
    JpegBytes::write(path, jpeg);
    const auto whole = JpegSectionFile::load(path);
    const auto tags = JpegSectionFile::loadMetadata(path);
    ASSERT_TRUE(whole && tags);
    EXPECT_TRUE(tags->metadataOnly());
    EXPECT_LT(tags->bytes().size(), jpeg.size());
    EXPECT_TRUE(sameSections(*whole, *tags));
    ASSERT_TRUE(tags->exifBlock());
    EXPECT_EQ(Bytes(tags->exifBlock()->begin(), tags->exifBlock()->end()), exifContent("MM-tags"));
    std::string error;
    EXPECT_FALSE(tags->save(path, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(tags->serialize().empty());
    EXPECT_EQ(JpegBytes::read(path), jpeg);
}

TEST(JpegSectionFileTest, WhatATagsOnlyReadingCannotVouchForIsReadWhole) {
    test::TempDir dir;
    const Bytes jpeg = photoWithLargeSegments();
    const struct {
        const char* what;
        Bytes bytes;
        bool readable;
    } cases[] = {
        {"data after the end of image", [&] { Bytes b = jpeg; b.insert(b.end(), {1, 2, 3}); return b; }(), true},
        {"cut in the image data", Bytes(jpeg.begin(), jpeg.end() - 3), false},
        {"cut in the segments", Bytes(jpeg.begin(), jpeg.begin() + 200000), false},
        {"a small file", JpegBytes::encoded(), true},
    };
    for (const auto& c : cases) {
        const auto path = dir / "case.jpg";
        JpegBytes::write(path, c.bytes);
        std::string error;
        const auto tags = JpegSectionFile::loadMetadata(path, &error);
        EXPECT_EQ(tags.has_value(), c.readable) << c.what << ": " << error;
        EXPECT_EQ(tags.has_value(), JpegSectionFile::load(path).has_value()) << c.what;
        if (tags) {
            EXPECT_FALSE(tags->metadataOnly()) << c.what;  // read and checked whole
        }
    }
    std::string error;
    EXPECT_FALSE(JpegSectionFile::loadMetadata(dir / "missing.jpg", &error));
    EXPECT_NE(error.find("missing.jpg"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
