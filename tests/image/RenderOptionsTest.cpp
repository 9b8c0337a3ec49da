// The Rendering tab's arithmetic without the widgets: the format table, the
// extension swap, the size field filtering and the kept proportion.
#include <gtest/gtest.h>

#include <set>

#include "image/RenderOptions.h"

namespace {

TEST(RenderOptions, FormatsComeInListOrderWithTheirCodesAndFilters) {
    const auto& formats = boxora::RenderFormats();
    const int ids[boxora::kRenderFormatCount] = {4, 3, 2, 6, 1, 7, 11, 12, 15, 14, 20};
    std::set<int> seen;
    for (int i = 0; i < boxora::kRenderFormatCount; ++i) {
        EXPECT_EQ(formats[i].formatId, ids[i]) << i;
        seen.insert(formats[i].formatId);
        // Options only for PNG, JPG, GIF, TIFF and WebP.
        EXPECT_EQ(formats[i].captionKey != nullptr, i < 4 || i == 10) << i;
        EXPECT_EQ(formats[i].extension[0], '.');
    }
    EXPECT_EQ(seen.size(), 11u);
    EXPECT_STREQ(formats[3].extension, ".tiff");
    EXPECT_STREQ(formats[3].filter, "TIFF Files (*.tif;*.tiff)|*.tif;*.tiff||");
    EXPECT_STREQ(formats[8].name, "RAS");
}

TEST(RenderOptions, ExtensionSwapCountsUtf16Characters) {
    EXPECT_EQ(boxora::SwapExtension("box.png", ".jpg"), "box.jpg");
    EXPECT_EQ(boxora::SwapExtension("box.tiff", ".jpg"), "box.jpg");
    EXPECT_EQ(boxora::SwapExtension("/a/b/box.jpeg", ".png"), "/a/b/box.png");
    EXPECT_EQ(boxora::SwapExtension("a.png", ".jpg"), "a.png");
    EXPECT_EQ(boxora::SwapExtension("", ".jpg"), "");
    EXPECT_EQ(boxora::SwapExtension("abcdef", ".gif"), "abcdef.gif");
    // "Öl.png" is six characters although its UTF-8 form is longer.
    EXPECT_EQ(boxora::SwapExtension("Öl.png", ".bmp"), "Öl.bmp");
    EXPECT_EQ(boxora::SwapExtension("Ö.png", ".bmp"), "Ö.png");
    // A character outside the basic plane counts as two, so this name is
    // six characters long.
    EXPECT_EQ(boxora::SwapExtension("\xF0\x9F\x93\xA6.png", ".bmp"), "\xF0\x9F\x93\xA6.bmp");
}

TEST(RenderOptions, OneNonDigitIsRemovedAtATime) {
    bool removed = false;
    EXPECT_EQ(boxora::RemoveFirstNonDigit("12a", &removed), "12");
    EXPECT_TRUE(removed);
    EXPECT_EQ(boxora::RemoveFirstNonDigit("a1b2", &removed), "1b2");
    EXPECT_EQ(boxora::RemoveFirstNonDigit("1é2", &removed), "12");
    EXPECT_EQ(boxora::RemoveFirstNonDigit("2024", &removed), "2024");
    EXPECT_FALSE(removed);
    EXPECT_EQ(boxora::RemoveFirstNonDigit("", &removed), "");
    EXPECT_FALSE(removed);
    // A broken UTF-8 sequence at the end goes without reading past it.
    EXPECT_EQ(boxora::RemoveFirstNonDigit("7\xC3", &removed), "7");
}

TEST(RenderOptions, KeptProportionFollowsTheSinglePrecisionRatio) {
    const float ratio = boxora::ProportionRatio(800, 600);
    EXPECT_EQ(ratio, 1.3333334f);
    EXPECT_EQ(boxora::HeightForWidth(400, ratio), 299);
    EXPECT_EQ(boxora::WidthForHeight(301, ratio), 401);
    const float two = boxora::ProportionRatio(600, 300);
    EXPECT_EQ(boxora::HeightForWidth(500, two), 250);
    EXPECT_EQ(boxora::WidthForHeight(301, two), 602);
    EXPECT_EQ(boxora::HeightForWidth(1, boxora::ProportionRatio(3000, 1)), 0);
    EXPECT_EQ(boxora::WidthForHeight(3000, boxora::ProportionRatio(3000, 1)), 9000000);
    // A ratio never comes from a zero height.
    EXPECT_EQ(boxora::ProportionRatio(10, 0), 1.0f);
}

}  // namespace
