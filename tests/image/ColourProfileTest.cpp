// Artwork in other colour spaces arrives in sRGB: CMYK JPEGs through their
// embedded profile or the default CMYK profile, damaged or mismatched
// profiles ignored, RGB profiles in PNG honoured, CMYK TIFF written and read
// through its profile.
#include <gtest/gtest.h>

#include <filesystem>

#include "image/CodecRegistry.h"
#include "image/ColourProfile.h"
#include "image/ImageCodec.h"
#include "tests/support/ColourArtwork.h"

namespace {

using colourtest::Convert;

constexpr int kW = 160, kH = 120;
constexpr std::size_t kPixels = static_cast<std::size_t>(kW) * kH;

std::vector<uint8_t> DecodedRgb(const std::vector<uint8_t>& file) {
    ImageCodec img;
    EXPECT_TRUE(img.LoadFromMemory(file.data(), file.size(), 0)) << img.LastError();
    const std::vector<uint8_t> rgba = img.ToRgbaTopDown();
    std::vector<uint8_t> rgb;
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i + 3]);
    return rgb;
}

class ColourProfiles : public ::testing::Test {
protected:
    void SetUp() override {
        cmyk_ = colourtest::ReadBytes(colourtest::kDefaultCmykPath);
        if (cmyk_.empty()) GTEST_SKIP() << "no CMYK profile installed (ghostscript)";
        ink_ = Convert(colourtest::Artwork(kW, kH), nullptr, TYPE_RGB_8, &cmyk_, TYPE_CMYK_8, kPixels, 4);
        ASSERT_FALSE(ink_.empty());
        reference_ = Convert(ink_, &cmyk_, TYPE_CMYK_8, nullptr, TYPE_RGB_8, kPixels, 3);
    }
    std::vector<uint8_t> cmyk_, ink_, reference_;
};

TEST_F(ColourProfiles, CmykJpegDecodesThroughItsProfileOrTheDefault) {
    // A CMYK profile of its own that differs from the default: the same ink
    // gives other colours, so following the wrong profile shows.
    const std::vector<uint8_t> own = colourtest::ReadBytes("/usr/share/color/icc/ghostscript/ps_cmyk.icc");
    ASSERT_FALSE(own.empty());
    const std::vector<uint8_t> ownReference = Convert(ink_, &own, TYPE_CMYK_8, nullptr, TYPE_RGB_8, kPixels, 3);

    const std::vector<uint8_t> embedded = DecodedRgb(colourtest::CmykJpeg(ink_, kW, kH, own));
    EXPECT_GE(colourtest::ShareWithin(embedded, ownReference, 12), 0.995);

    // No profile, a damaged one and an RGB one all take the default.
    std::vector<uint8_t> damaged(own.begin(), own.begin() + 200);
    for (const std::vector<uint8_t>& icc : {std::vector<uint8_t>(), damaged, imagecodec::SrgbProfile()}) {
        const std::vector<uint8_t> got = DecodedRgb(colourtest::CmykJpeg(ink_, kW, kH, icc));
        EXPECT_GE(colourtest::ShareWithin(got, reference_, 12), 0.995) << icc.size();
        EXPECT_LT(colourtest::ShareWithin(got, ownReference, 12), 0.9) << "the profiles must tell apart";
    }
}

TEST_F(ColourProfiles, CmykTiffCarriesItsProfileBothWays) {
    imagecodec::CmykPicture picture{kW, kH, ink_.data()};
    imagecodec::EncodeOptions options;
    options.iccProfile = cmyk_;
    std::vector<uint8_t> tiff;
    std::string why;
    ASSERT_TRUE(imagecodec::EncodeCmykTiff(picture, options, tiff, &why)) << why;
    // Lossless: only the conversion's own rounding remains.
    EXPECT_GE(colourtest::ShareWithin(DecodedRgb(tiff), reference_, 2), 0.999);
}

TEST_F(ColourProfiles, PngWithAWideGamutProfileIsConvertedToSrgb) {
    const std::vector<uint8_t> wide = colourtest::ReadBytes("/usr/share/color/icc/ghostscript/a98.icc");
    ASSERT_FALSE(wide.empty());
    const std::vector<uint8_t> art = colourtest::Artwork(kW, kH);
    ImageCodec img;
    std::vector<uint8_t> bgra(kPixels * 4);
    for (std::size_t i = 0; i < kPixels; ++i)
        bgra[4 * i] = art[3 * i + 2], bgra[4 * i + 1] = art[3 * i + 1], bgra[4 * i + 2] = art[3 * i],
                 bgra[4 * i + 3] = 255;
    ASSERT_TRUE(img.CreateFromArray(bgra.data(), kW, kH, 32, kW * 4, true));
    img.MutableData().alpha.clear();
    img.SetIccProfile(wide);
    std::vector<uint8_t> png;
    std::string why;
    ASSERT_TRUE(imagecodec::EncodePng(img.Data(), img.Options(), png, &why)) << why;
    const std::vector<uint8_t> want = Convert(art, &wide, TYPE_RGB_8, nullptr, TYPE_RGB_8, kPixels, 3);
    const std::vector<uint8_t> got = DecodedRgb(png);
    EXPECT_GE(colourtest::ShareWithin(got, want, 1), 0.999);
    EXPECT_LT(colourtest::ShareWithin(got, art, 1), 0.5) << "the profile was not applied";
}

}  // namespace
