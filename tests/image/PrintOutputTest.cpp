// Pictures for print: sizes from paper sizes, and pictures written a band
// of rows at a time.
#include <gtest/gtest.h>

#include <cstring>

#include "image/ImageCodec.h"
#include "image/PrintSize.h"
#include "image/StreamingWriter.h"
#include "tests/image/ImageTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using imagecodec::PrintPixels;

TEST(PrintSize, PaperSizesRoundToTheNearestPixel) {
    const auto a4 = PrintPixels("210x297mm", 300, 16000);
    ASSERT_TRUE(a4);
    EXPECT_EQ(a4->width, 2480);   // 2480.31
    EXPECT_EQ(a4->height, 3508);  // 3507.87
    const auto letter = PrintPixels("8.5X11in", 150, 16000);
    ASSERT_TRUE(letter);
    EXPECT_EQ(letter->width, 1275);
    EXPECT_EQ(letter->height, 1650);
    // 1 mm at 127 dpi is exactly 5 pixels; 0.1 mm rounds up to 1 at 254.
    EXPECT_EQ(PrintPixels("1x0.1mm", 127, 16000)->width, 5);
    EXPECT_EQ(PrintPixels("1x0.1mm", 254, 16000)->height, 1);

    std::string why;
    for (const char* bad : {"210x297", "210x297cm", "x297mm", "210x-297mm", "210x297mmmm", "0x297mm", "1e3x2mm",
                            "210,5x297mm", "nanx2in"})
        EXPECT_FALSE(PrintPixels(bad, 300, 16000, &why)) << bad;
    EXPECT_FALSE(PrintPixels("210x297mm", 0, 16000));
    // A0 at 600 dpi is 19866 pixels high: beyond the limit.
    EXPECT_FALSE(PrintPixels("841x1189mm", 600, 16000, &why));
    EXPECT_FALSE(why.empty());
    // Below half a pixel there is no picture.
    EXPECT_FALSE(PrintPixels("0.01x10mm", 10, 16000));
}

TEST(StreamingWriter, BandsMakeTheSamePictureAndAFailureKeepsTheOldFile) {
    testsupport::TempDir dir;
    const uint32_t w = 37, h = 23;
    // Bottom row first, as ImageCodec arrays are.
    const std::vector<uint8_t> frame = imagetest::MakeFrame(w, h, true);
    imagecodec::EncodeOptions options;
    options.dpi = 72;
    for (const int format : {FORMAT_PNG, FORMAT_TIF}) {
        std::string why;
        auto writer = imagecodec::StreamingWriter::Create(format, options, w, h, true, &why);
        ASSERT_TRUE(writer) << why;
        // Top row first, in uneven bands.
        for (uint32_t top = 0; top < h;) {
            const uint32_t count = std::min<uint32_t>(top % 2 ? 5 : 3, h - top);
            std::vector<uint8_t> band;
            for (uint32_t r = 0; r < count; ++r) {
                const uint8_t* row = frame.data() + static_cast<std::size_t>(h - 1 - top - r) * w * 4;
                band.insert(band.end(), row, row + w * 4);
            }
            ASSERT_TRUE(writer->WriteRows(band.data(), count));
            top += count;
        }
        const std::string path = dir.File(format == FORMAT_PNG ? "p.png" : "p.tif");
        ASSERT_TRUE(writer->Finish(path)) << writer->Error();
        ImageCodec read;
        ASSERT_TRUE(read.Load(path, format));
        ImageCodec expected;
        ASSERT_TRUE(expected.CreateFromArray(frame.data(), w, h, 32, static_cast<int>(w) * 4, false));
        EXPECT_EQ(read.Data().pixels, expected.Data().pixels);
        EXPECT_EQ(read.Data().alpha, expected.Data().alpha);

        // A picture that stops short writes nothing over the old file.
        const std::string before = testsupport::ReadFileBytes(path);
        auto shortOne = imagecodec::StreamingWriter::Create(format, options, w, h, true, &why);
        ASSERT_TRUE(shortOne);
        ASSERT_TRUE(shortOne->WriteRows(frame.data(), 4));
        EXPECT_FALSE(shortOne->WriteRows(frame.data(), h));  // more rows than are left
        EXPECT_FALSE(shortOne->Finish(path));
        EXPECT_FALSE(shortOne->Error().empty());
        EXPECT_EQ(testsupport::ReadFileBytes(path), before);
    }
    // Interlaced PNG and the other formats need the whole picture.
    options.pngInterlace = 1;
    EXPECT_FALSE(imagecodec::StreamingWriter::Streams(FORMAT_PNG, options));
    EXPECT_FALSE(imagecodec::StreamingWriter::Streams(FORMAT_BMP, options));
}

}  // namespace
