// WMF and EMF rasterising: natural size, colours, transparency outside the
// drawing, and refusal of damaged files.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "image/CodecMetafile.h"
#include "image/CodecRegistry.h"
#include "image/ImageCodec.h"
#include "tests/image/HandMadeImages.h"
#include "tests/support/TestSupport.h"

using namespace handmade;
using imagecodec::ImageData;

namespace {

// ----- WMF ----------------------------------------------------------------

void WmfRecord(Bytes& out, unsigned function, std::initializer_list<int> params) {
    Put32(out, static_cast<uint32_t>(3 + params.size()));
    Put16(out, function);
    for (int p : params) Put16(out, static_cast<uint16_t>(p));
}

uint32_t ColorRef(const Rgba& c) { return c.r | (c.g << 8) | (c.b << 16); }

struct WmfDrawing {
    bool placeable = true;
    int unitsPerInch = 96;
    int extW = 200, extH = 100;
    struct Rect {
        int l, t, r, b;
        Rgba color;
    };
    std::vector<Rect> rects;
    std::string text;
};

Bytes BuildWmf(const WmfDrawing& d) {
    Bytes records;
    WmfRecord(records, 0x020B, {0, 0});            // SetWindowOrg(y, x)
    WmfRecord(records, 0x020C, {d.extH, d.extW});  // SetWindowExt(y, x)
    WmfRecord(records, 0x02FA, {5, 0, 0, 0, 0});   // CreatePenIndirect: null pen
    WmfRecord(records, 0x012D, {0});               // SelectObject(pen)
    int handles = 1;
    for (const auto& r : d.rects) {
        const uint32_t c = ColorRef(r.color);
        WmfRecord(records, 0x02FC, {0, int(c & 0xFFFF), int(c >> 16), 0});  // CreateBrushIndirect (solid)
        WmfRecord(records, 0x012D, {handles});
        WmfRecord(records, 0x041B, {r.b, r.r, r.t, r.l});  // Rectangle(bottom, right, top, left)
        WmfRecord(records, 0x01F0, {handles});             // DeleteObject
    }
    if (!d.text.empty()) {
        std::vector<int> params = {int(d.text.size())};
        std::string s = d.text;
        if (s.size() % 2) s.push_back(0);
        for (std::size_t i = 0; i < s.size(); i += 2) params.push_back(uint8_t(s[i]) | (uint8_t(s[i + 1]) << 8));
        params.push_back(20);  // y
        params.push_back(10);  // x
        Put32(records, static_cast<uint32_t>(3 + params.size()));
        Put16(records, 0x0521);  // TextOut
        for (int p : params) Put16(records, static_cast<uint16_t>(p));
    }
    WmfRecord(records, 0, {});  // end of file

    Bytes out;
    if (d.placeable) {
        Put32(out, 0x9AC6CDD7);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, d.extW);
        Put16(out, d.extH);
        Put16(out, d.unitsPerInch);
        Put32(out, 0);
        uint16_t sum = 0;
        for (int i = 0; i < 20; i += 2) sum ^= uint16_t(out[i] | (out[i + 1] << 8));
        Put16(out, sum);
    }
    Put16(out, 1);
    Put16(out, 9);
    Put16(out, 0x300);
    Put32(out, static_cast<uint32_t>((18 + records.size()) / 2));
    Put16(out, 2);
    Put32(out, 8);
    Put16(out, 0);
    out.insert(out.end(), records.begin(), records.end());
    return out;
}

// ----- EMF ----------------------------------------------------------------

void EmfRecord(Bytes& out, uint32_t type, std::initializer_list<uint32_t> params) {
    Put32(out, type);
    Put32(out, static_cast<uint32_t>(8 + 4 * params.size()));
    for (uint32_t p : params) Put32(out, p);
}

Bytes BuildEmf(int w, int h, const std::vector<WmfDrawing::Rect>& rects) {
    Bytes records;
    EmfRecord(records, 38, {1, 5, 0, 0, 0});  // CreatePen(1): null pen
    EmfRecord(records, 37, {1});              // SelectObject
    for (const auto& r : rects) {
        EmfRecord(records, 39, {2, 0, ColorRef(r.color), 0});  // CreateBrushIndirect(2)
        EmfRecord(records, 37, {2});
        EmfRecord(records, 43, {uint32_t(r.l), uint32_t(r.t), uint32_t(r.r), uint32_t(r.b)});  // Rectangle
        EmfRecord(records, 40, {2});                                                           // DeleteObject
    }
    EmfRecord(records, 14, {0, 16, 20});  // EOF

    Bytes out;
    const uint32_t headerSize = 108;
    Put32(out, 1);
    Put32(out, headerSize);
    for (int v : {0, 0, w - 1, h - 1}) Put32(out, uint32_t(v));                  // bounds (pixels)
    for (int v : {0, 0, w * 2540 / 96, h * 2540 / 96}) Put32(out, uint32_t(v));  // frame (0.01 mm)
    Put32(out, 0x464D4520);
    Put32(out, 0x10000);
    Put32(out, static_cast<uint32_t>(headerSize + records.size()));
    Put32(out, 0);  // record count, not needed
    Put16(out, 3);
    Put16(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    for (int v : {1920, 1080, 508, 286}) Put32(out, uint32_t(v));  // device pixels and millimetres
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 508000);
    Put32(out, 286000);
    out.insert(out.end(), records.begin(), records.end());
    // Patch the record count.
    uint32_t count = 0;
    for (std::size_t at = 0; at + 8 <= out.size();) {
        ++count;
        at += out[at + 4] | (out[at + 5] << 8) | (out[at + 6] << 16) | (out[at + 7] << 24);
    }
    out[52] = uint8_t(count);
    return out;
}

// An EMF that writes a word in a chosen font.
Bytes BuildEmfText(int w, int h, const std::string& text) {
    Bytes records;
    Bytes font;
    Put32(font, 82);  // ExtCreateFontIndirectW
    Put32(font, 104);
    Put32(font, 3);  // handle
    for (int v : {-24, 0, 0, 0, 700}) Put32(font, uint32_t(v));
    for (int i = 0; i < 8; ++i) Put8(font, 0);
    const std::string face = "Arial";
    for (int i = 0; i < 32; ++i) Put16(font, i < int(face.size()) ? face[i] : 0);
    records.insert(records.end(), font.begin(), font.end());
    EmfRecord(records, 37, {3});         // SelectObject
    EmfRecord(records, 24, {0x000080});  // SetTextColor
    Bytes t;
    const uint32_t n = static_cast<uint32_t>(text.size());
    const uint32_t stringAt = 76, dxAt = stringAt + ((2 * n + 3) & ~3u);
    Put32(t, 84);  // ExtTextOutW
    Put32(t, dxAt + 4 * n);
    for (int i = 0; i < 4; ++i) Put32(t, 0);  // bounds
    Put32(t, 1);                              // graphics mode
    Put32(t, 0x3F800000);                     // x scale 1.0
    Put32(t, 0x3F800000);                     // y scale 1.0
    Put32(t, 10);
    Put32(t, uint32_t(h / 2));  // reference point
    Put32(t, n);
    Put32(t, stringAt);
    Put32(t, 0);  // options
    for (int v : {0, 0, w, h}) Put32(t, uint32_t(v));
    Put32(t, dxAt);
    for (char c : text) Put16(t, uint8_t(c));
    while (t.size() < dxAt) Put8(t, 0);
    for (uint32_t i = 0; i < n; ++i) Put32(t, 14);
    records.insert(records.end(), t.begin(), t.end());
    // Header and end of file from the shape builder, records swapped in.
    Bytes file = BuildEmf(w, h, {});
    const std::size_t bodyAt = 108;
    file.insert(file.begin() + bodyAt + 28 /* after the null pen's two records */, records.begin(), records.end());
    const uint32_t total = static_cast<uint32_t>(file.size());
    for (int i = 0; i < 4; ++i) file[48 + i] = uint8_t(total >> (8 * i));
    return file;
}

ImageData Decode(const Bytes& file, bool expectOk = true, uint32_t maxSide = imagecodec::metafile::kMaxMetafileSide) {
    ImageData img;
    std::string why;
    const bool ok = imagecodec::metafile::DecodeMetafileLimited(file.data(), file.size(), img, &why, maxSide);
    EXPECT_EQ(ok, expectOk) << why;
    if (!ok) {
        EXPECT_TRUE(img.Empty());
    }
    return img;
}

const Rgba kRed{220, 20, 30, 255}, kBlue{10, 40, 200, 255};

bool Near(const Rgba& a, const Rgba& b, int tolerance = 3) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance &&
           std::abs(a.a - b.a) <= tolerance;
}

}  // namespace

#if defined(BOXORA_HAVE_LIBWMF) && defined(BOXORA_HAVE_RSVG)

TEST(WmfDecode, PlaceableFileAtItsNaturalSize) {
    WmfDrawing d;
    d.rects.push_back({20, 10, 120, 60, kRed});
    d.rects.push_back({150, 70, 190, 95, kBlue});
    const ImageData img = Decode(BuildWmf(d));
    ASSERT_EQ(img.width, 200u);
    ASSERT_EQ(img.height, 100u);
    ASSERT_FALSE(img.alpha.empty());
    EXPECT_TRUE(Near(At(img, 70, 35), kRed));
    EXPECT_TRUE(Near(At(img, 170, 80), kBlue));
    // Outside the drawing: transparent, white underneath.
    EXPECT_EQ(At(img, 5, 90), (Rgba{255, 255, 255, 0}));
    EXPECT_EQ(At(img, 140, 30).a, 0);
    // 48 units per inch: twice the pixels.
    d.unitsPerInch = 48;
    const ImageData twice = Decode(BuildWmf(d));
    EXPECT_EQ(twice.width, 400u);
    EXPECT_EQ(twice.height, 200u);
    EXPECT_TRUE(Near(At(twice, 140, 70), kRed));
}

TEST(WmfDecode, SizeLimitsAndFilesWithoutPhysicalSize) {
    WmfDrawing d;
    d.rects.push_back({0, 0, 200, 100, kRed});
    d.unitsPerInch = 2;  // 100 × 50 inches: scaled to the limit
    ImageData img = Decode(BuildWmf(d));
    EXPECT_EQ(img.width, imagecodec::metafile::kMaxMetafileSide);
    EXPECT_EQ(img.height, imagecodec::metafile::kMaxMetafileSide / 2);
    img = Decode(BuildWmf(d), true, 64);
    EXPECT_EQ(img.width, 64u);
    EXPECT_EQ(img.height, 32u);
    EXPECT_TRUE(Near(At(img, 30, 20), kRed));
    // No placeable header: the drawing's extent fitted within the default size.
    d.placeable = false;
    const auto bare = BuildWmf(d);
    EXPECT_EQ(imagecodec::SniffFormat(bare.data(), bare.size()), FORMAT_WMF);
    img = Decode(bare);
    EXPECT_EQ(std::max(img.width, img.height), imagecodec::metafile::kDefaultMetafileSide);
    EXPECT_NEAR(double(img.width) / img.height, 2.0, 0.1);
}

TEST(WmfDecode, DrawsText) {
    WmfDrawing d;
    d.extW = 300, d.extH = 60;
    d.text = "Boxora";
    const ImageData img = Decode(BuildWmf(d));
    ASSERT_EQ(img.width, 300u);
    int inked = 0;
    for (uint32_t y = 0; y < img.height; ++y)
        for (uint32_t x = 0; x < img.width; ++x) inked += At(img, x, y).a > 128;
    EXPECT_GT(inked, 20);
}

TEST(WmfDecode, RefusesDamagedFiles) {
    WmfDrawing d;
    d.rects.push_back({20, 10, 120, 60, kRed});
    const Bytes good = BuildWmf(d);
    Decode(good);
    for (std::size_t cut : {std::size_t{0}, std::size_t{10}, std::size_t{30}, std::size_t{45}, good.size() - 2})
        Decode(Bytes(good.begin(), good.begin() + cut), false);
    Bytes badSize = good;
    badSize[40] = 0xFF, badSize[41] = 0xFF, badSize[42] = 0xFF;  // first record claims 16 M words
    Decode(badSize, false);
    Bytes zeroSize = good;
    zeroSize[40] = zeroSize[41] = zeroSize[42] = zeroSize[43] = 0;
    Decode(zeroSize, false);
    Bytes notWmf = good;
    notWmf[24] = 7;  // header size field
    Decode(notWmf, false);
}

#endif

#if defined(BOXORA_HAVE_EMF2SVG) && defined(BOXORA_HAVE_RSVG)

TEST(EmfDecode, DrawsAtTheBoundsSize) {
    const Bytes file = BuildEmf(240, 120, {{20, 10, 120, 60, kRed}, {150, 70, 230, 110, kBlue}});
    const ImageData img = Decode(file);
    EXPECT_NEAR(img.width, 240, 1);
    EXPECT_NEAR(img.height, 120, 1);
    ASSERT_FALSE(img.alpha.empty());
    EXPECT_TRUE(Near(At(img, 70, 35), kRed));
    EXPECT_TRUE(Near(At(img, 190, 90), kBlue));
    EXPECT_EQ(At(img, 5, 100), (Rgba{255, 255, 255, 0}));
    // Through the registry, by content.
    EXPECT_EQ(imagecodec::SniffFormat(file.data(), file.size()), FORMAT_WMF);
    ImageData viaTable;
    EXPECT_TRUE(imagecodec::FindCodec(FORMAT_WMF)->decode(file.data(), file.size(), viaTable, nullptr));
    EXPECT_EQ(viaTable.width, img.width);
}

TEST(EmfDecode, DrawsTextBetweenOtherFontUsers) {
    // Text in an EMF, before and after text drawn by cairo for a WMF: the
    // converters share the process's font configuration.
    auto inked = [](const ImageData& img) {
        int n = 0;
        for (uint32_t y = 0; y < img.height; ++y)
            for (uint32_t x = 0; x < img.width; ++x) n += At(img, x, y).a > 128;
        return n;
    };
    const Bytes emf = BuildEmfText(160, 60, "Boxora");
    EXPECT_GT(inked(Decode(emf)), 20);
#if defined(BOXORA_HAVE_LIBWMF)
    WmfDrawing d;
    d.extW = 300, d.extH = 60;
    d.text = "Boxora";
    EXPECT_GT(inked(Decode(BuildWmf(d))), 20);
#endif
    EXPECT_GT(inked(Decode(emf)), 20);
    EXPECT_GT(inked(Decode(emf)), 20);
}

extern "C" void FcFini(void);

TEST(EmfDecode, FontconfigShutdownIsDisarmedForTheWholeProcess) {
    // The converter's call is bound to the program's own (empty) FcFini.
    void* bound = dlsym(RTLD_DEFAULT, "FcFini");
    ASSERT_NE(bound, nullptr);
    EXPECT_EQ(bound, reinterpret_cast<void*>(&FcFini));
}

TEST(EmfDecode, AConverterThatAbortsFailsTheFileNotTheProgram) {
    // A font 16 million units high: the SVG converter's output makes the
    // drawing library panic and abort. Also when the name says JPEG.
    const std::string panic =
        (testsupport::DataDir().parent_path() / "corpus/image_metafile" / "repro-emf-font-height-panic.emf").string();
    const std::string bytes = testsupport::ReadFileBytes(panic);
    ASSERT_EQ(bytes.size(), 376u);
    ImageData img;
    std::string why;
    EXPECT_FALSE(imagecodec::metafile::DecodeMetafileLimited(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                             bytes.size(), img, &why, 256));
    EXPECT_NE(why.find("crashed"), std::string::npos) << why;
    ImageCodec codec;
    EXPECT_FALSE(codec.LoadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), FORMAT_JPG));
    EXPECT_EQ(codec.GetWidth(), 0u);
    // The converters still work for the next file.
    EXPECT_TRUE(Near(At(Decode(BuildEmf(50, 40, {{5, 5, 40, 30, kRed}})), 20, 20), kRed));
}

TEST(EmfDecode, RefusesDamagedFiles) {
    const Bytes good = BuildEmf(50, 50, {{5, 5, 40, 40, kRed}});
    Decode(good);
    for (std::size_t cut : {std::size_t{0}, std::size_t{40}, std::size_t{100}, std::size_t{120}, good.size() - 4})
        Decode(Bytes(good.begin(), good.begin() + cut), false);
    Bytes badSize = good;
    badSize[108 + 4] = 3;  // second record size not a multiple of four
    Decode(badSize, false);
    Bytes hugeRecord = good;
    hugeRecord[108 + 7] = 0x7F;
    Decode(hugeRecord, false);
}

#endif

TEST(MetafileDecode, RefusesOtherData) {
    Decode(Bytes{}, false);
    Decode(Bytes(100, 0), false);
    Decode(Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false);
}
