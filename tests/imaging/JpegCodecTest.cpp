#include "core/imaging/ImageFile.h"
#include "core/imaging/JpegBandEncoder.h"
#include "core/imaging/JpegCodec.h"
#include "core/imaging/PngCodec.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <fstream>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;
using Bytes = std::vector<std::uint8_t>;

Image smooth(int w, int h) {
    return TestImages::make(w, h, [w, h](int x, int y) {
        return Rgb{x * 255 / (w - 1), y * 255 / (h - 1), 128};
    });
}

// A JPEG with an EXIF block holding only the Orientation tag.
Bytes withExifOrientation(const Bytes& jpeg, int orientation, bool bigEndian) {
    Bytes tiff =
        bigEndian ? Bytes{'M', 'M', 0, 42, 0, 0, 0, 8} : Bytes{'I', 'I', 42, 0, 8, 0, 0, 0};
    auto put16 = [&](int v) {
        if (bigEndian)
            tiff.insert(tiff.end(),
                        {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
        else
            tiff.insert(tiff.end(),
                        {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
    };
    put16(1);       // one entry
    put16(0x0112);  // Orientation
    put16(3);       // SHORT
    put16(1);
    put16(0);  // count 1 (32-bit)
    if (bigEndian) {
        put16(orientation);
        put16(0);
    } else {
        put16(orientation);
        put16(0);
    }
    put16(0);
    put16(0);         // no next IFD
    if (bigEndian) {  // count was written as two 16-bit halves: fix its order
        tiff[14] = 0;
        tiff[15] = 0;
        tiff[16] = 0;
        tiff[17] = 1;
    }
    Bytes app1{0xFF, 0xE1};
    const std::size_t length = 2 + 6 + tiff.size();
    app1.push_back(static_cast<std::uint8_t>(length >> 8));
    app1.push_back(static_cast<std::uint8_t>(length));
    for (char c : std::string("Exif\0\0", 6))
        app1.push_back(static_cast<std::uint8_t>(c));
    app1.insert(app1.end(), tiff.begin(), tiff.end());
    // SOI, the APP1 segment, the rest: copied into place (GCC 12's -O3 takes
    // a growing vector's insert for an overflow, on aarch64).
    Bytes out(jpeg.size() + app1.size());
    auto at = std::copy(jpeg.begin(), jpeg.begin() + 2, out.begin());
    at = std::copy(app1.begin(), app1.end(), at);
    std::copy(jpeg.begin() + 2, jpeg.end(), at);
    return out;
}

TEST(JpegCodecTest, RoundTripKeepsThePictureAndWrites420) {
    const Image picture = smooth(320, 240);
    const auto jpeg = JpegCodec::encode(picture, 0.95);
    ASSERT_TRUE(jpeg);
    tjhandle tj = tjInitDecompress();
    int w = 0, h = 0, subsampling = -1, colorspace = -1;
    ASSERT_EQ(
        tjDecompressHeader3(tj, jpeg->data(), jpeg->size(), &w, &h, &subsampling, &colorspace), 0);
    tjDestroy(tj);
    EXPECT_EQ(subsampling, TJSAMP_420);
    const auto decoded = JpegCodec::decode(*jpeg);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->orientation(), Image::kUp);
    EXPECT_LE(TestImages::maxDifference(*decoded, picture, 2), 6);
    // Lower quality, smaller file.
    EXPECT_LT(JpegCodec::encode(picture, 0.3)->size(), jpeg->size());
    EXPECT_TRUE(JpegCodec::encode(picture, 0.0));  // clamped to the lowest quality
}

TEST(JpegCodecTest, ScaledDecodeRoundsSidesUp) {
    const auto jpeg = JpegCodec::encode(smooth(643, 481), 0.9);
    ASSERT_TRUE(jpeg);
    const std::vector<std::pair<int, std::pair<int, int>>> cases{
        {1, {643, 481}}, {2, {322, 241}}, {4, {161, 121}}, {8, {81, 61}}};
    for (const auto& [denominator, size] : cases) {
        const auto image = JpegCodec::decode(*jpeg, denominator);
        ASSERT_TRUE(image) << denominator;
        EXPECT_EQ(image->width(), size.first);
        EXPECT_EQ(image->height(), size.second);
    }
    std::string error;
    EXPECT_FALSE(JpegCodec::decode(*jpeg, 3, &error));
    EXPECT_FALSE(error.empty());
    const auto atLeast = JpegCodec::decodeAtLeast(*jpeg, 160, 120);
    ASSERT_TRUE(atLeast);
    EXPECT_EQ(atLeast->width(), 161);
    EXPECT_EQ(JpegCodec::decodeAtLeast(*jpeg, 640, 480)->width(), 643);
}

TEST(JpegCodecTest, TruncatedOrCorruptFilesAreErrorsNotHalfPictures) {
    const auto jpeg = JpegCodec::encode(TestImages::noise(200, 150, 3), 0.9);
    ASSERT_TRUE(jpeg);
    for (std::size_t keep : {jpeg->size() - 2, jpeg->size() / 2, std::size_t{600}, std::size_t{20},
                             std::size_t{2}, std::size_t{0}}) {
        const Bytes cut(jpeg->begin(), jpeg->begin() + static_cast<long>(keep));
        std::string error;
        EXPECT_FALSE(JpegCodec::decode(cut, 1, &error)) << "kept " << keep;
        EXPECT_FALSE(error.empty());
    }
    Bytes garbage(1000, 0x5A);
    EXPECT_FALSE(JpegCodec::decode(garbage));
    Bytes corrupt = *jpeg;
    for (std::size_t i = corrupt.size() / 2; i < corrupt.size() / 2 + 64; ++i)
        corrupt[i] = 0xFF;
    EXPECT_FALSE(JpegCodec::decode(corrupt));
}

TEST(JpegCodecTest, ExifOrientationBecomesTheImageOrientation) {
    const auto jpeg = JpegCodec::encode(smooth(64, 48), 0.9);
    ASSERT_TRUE(jpeg);
    const int expected[9] = {0, 0, 4, 1, 5, 6, 3, 7, 2};
    for (int exif = 1; exif <= 8; ++exif)
        for (bool bigEndian : {false, true}) {
            const auto image = JpegCodec::decode(withExifOrientation(*jpeg, exif, bigEndian));
            ASSERT_TRUE(image) << exif;
            EXPECT_EQ(image->orientation(), expected[exif])
                << "EXIF " << exif << (bigEndian ? " MM" : " II");
            EXPECT_EQ(image->width(), 64);  // stored as it was
        }
    EXPECT_EQ(JpegCodec::decode(withExifOrientation(*jpeg, 9, false))->orientation(), Image::kUp);
    EXPECT_EQ(JpegCodec::readHeader(withExifOrientation(*jpeg, 6, false))->orientation,
              Image::kRight);
}

TEST(JpegCodecTest, EncodingWritesTheUprightPicture) {
    const Image turned = smooth(64, 48).withOrientation(Image::kRight);
    const auto decoded = JpegCodec::decode(*JpegCodec::encode(turned, 0.95));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width(), 48);
    EXPECT_EQ(decoded->height(), 64);
}

TEST(ImageFileTest, FormatsByExtensionAndAtomicWrites) {
    test::TempDir dir;
    const Image picture = TestImages::noise(33, 17, 11);
    std::string error;
    ASSERT_TRUE(ImageFile::write(dir / "a.PNG", picture, 0.95, &error)) << error;
    const auto png = ImageFile::read(dir / "a.PNG", &error);
    ASSERT_TRUE(png) << error;
    EXPECT_EQ(TestImages::maxDifference(*png, picture), 0);  // lossless
    ASSERT_TRUE(ImageFile::write(dir / "b.jpeg", picture));
    EXPECT_TRUE(ImageFile::read(dir / "b.jpeg"));
    EXPECT_FALSE(ImageFile::write(dir / "c.gif", picture, 0.95, &error));
    EXPECT_NE(error.find("unknown picture format"), std::string::npos);
    EXPECT_FALSE(ImageFile::read(dir / "missing.jpg"));
    std::ofstream(dir / "bad.png") << "not a png";
    EXPECT_FALSE(ImageFile::read(dir / "bad.png"));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 3);  // no temporary files left
}

TEST(JpegBandEncoderTest, BandsJoinIntoOneStandardJpegOfTheSamePixels) {
    // Rows that are no multiple of the 16-row blocks, and more than 8
    // restart markers per band, so that their numbers wrap.
    const Image picture = TestImages::noise(173, 530, 12);
    const auto whole = JpegBandEncoder::encode(picture.bitmap(), 90, 1);
    ASSERT_TRUE(whole);
    const auto onePiece = JpegCodec::decode(*whole);
    ASSERT_TRUE(onePiece);
    for (int bands : {2, 3, 5}) {
        SCOPED_TRACE(std::to_string(bands) + " bands");
        const auto banded = JpegBandEncoder::encode(picture.bitmap(), 90, bands);
        ASSERT_TRUE(banded);
        std::string error;
        const auto decoded =
            JpegCodec::decode(*banded, 1, &error);  // strict: a misnumbered restart fails
        ASSERT_TRUE(decoded) << error;
        EXPECT_EQ(decoded->height(), 530);
        EXPECT_EQ(TestImages::maxDifference(*decoded, *onePiece), 0);
    }
    // JpegCodec takes this road for large pictures; the bytes still decode.
    const Image tall = TestImages::noise(64, JpegBandEncoder::kMinRows + 7, 3);
    const auto encoded = JpegCodec::encode(tall, 0.9);
    ASSERT_TRUE(encoded);
    const auto back = JpegCodec::decode(*encoded);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->height(), JpegBandEncoder::kMinRows + 7);
}

}  // namespace
}  // namespace kestrel
