// Decoders on the variants other writers produce (made here with the
// format libraries or by hand) and on broken files.
#include <gtest/gtest.h>

#include <chrono>
#include <csetjmp>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include "bench/MemoryUse.h"
#include "image/CodecRegistry.h"
#include "image/ImageCodec.h"
#include "tests/image/DecompressionBombs.h"
#include "tests/image/ImageTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromString(const std::string& s) { return Bytes(s.begin(), s.end()); }

// RGB of the pixel at (x, y) counted from the top-left corner.
std::array<int, 3> Rgb(const ImageCodec& img, uint32_t x, uint32_t y) {
    const auto rgba = img.ToRgbaTopDown();
    const std::size_t i = (static_cast<std::size_t>(y) * img.GetWidth() + x) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2]};
}
int Alpha(const ImageCodec& img, uint32_t x, uint32_t y) {
    return img.ToRgbaTopDown()[(static_cast<std::size_t>(y) * img.GetWidth() + x) * 4 + 3];
}

bool Decode(const Bytes& b, int format, ImageCodec& img) { return img.LoadFromMemory(b.data(), b.size(), format); }

// ---- PNG files written with libpng's own API

struct PngSpec {
    uint32_t w, h;
    int depth, colorType, interlace;
    std::vector<Bytes> rows;  // raw rows in PNG sample layout
    std::vector<png_color> palette;
    Bytes trns;
};

void PngAppend(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

Bytes WritePng(const PngSpec& s) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, PngAppend, nullptr);
    png_set_IHDR(png, info, s.w, s.h, s.depth, s.colorType, s.interlace, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    if (!s.trns.empty()) png_set_tRNS(png, info, s.trns.data(), static_cast<int>(s.trns.size()), nullptr);
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (const Bytes& r : s.rows) rows.push_back(const_cast<png_bytep>(r.data()));
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// ---- JPEG files written with libjpeg

Bytes WriteJpeg(uint32_t w, uint32_t h, int components, J_COLOR_SPACE space, const Bytes& samples) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < h) {
        JSAMPROW row = const_cast<JSAMPROW>(&samples[c.next_scanline * w * components]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes out(buf, buf + size);
    std::free(buf);
    return out;
}

// ---- TIFF files written with libtiff (to a temporary file)

template <typename Fill>
Bytes WriteTiff(const std::string& path, Fill fill) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return {};
    const bool ok = fill(tif);
    TIFFClose(tif);
    if (!ok) return {};
    return FromString(testsupport::ReadFileBytes(path));
}

void Put16Be(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}
void Put32Be(Bytes& b, uint32_t v) {
    Put16Be(b, v >> 16);
    Put16Be(b, v & 0xFFFF);
}

Bytes RasHeader(uint32_t w, uint32_t h, uint32_t depth, uint32_t length, uint32_t type, uint32_t mapType,
                uint32_t mapLength) {
    Bytes b;
    Put32Be(b, 0x59A66A95);
    for (uint32_t v : {w, h, depth, length, type, mapType, mapLength}) Put32Be(b, v);
    return b;
}

}  // namespace

TEST(DecoderInput, PngVariants) {
    // 2 × 2 palette with tRNS: index 0 red opaque, 1 green half, 2 blue clear.
    PngSpec pal{2,
                2,
                8,
                PNG_COLOR_TYPE_PALETTE,
                PNG_INTERLACE_NONE,
                {{0, 1}, {2, 0}},
                {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                {255, 128, 0}};
    ImageCodec img;
    ASSERT_TRUE(Decode(WritePng(pal), FORMAT_PNG, img)) << img.LastError();
    EXPECT_EQ(Rgb(img, 0, 0), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(Rgb(img, 1, 0), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(Rgb(img, 0, 1), (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ(Alpha(img, 0, 0), 255);
    EXPECT_EQ(Alpha(img, 1, 0), 128);
    EXPECT_EQ(Alpha(img, 0, 1), 0);

    // 1-bit and 4-bit grey, 16-bit grey.
    PngSpec g1{10, 1, 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, {{0xA0, 0x40}}, {}, {}};
    ASSERT_TRUE(Decode(WritePng(g1), FORMAT_PNG, img));
    EXPECT_EQ(Rgb(img, 0, 0)[0], 255);
    EXPECT_EQ(Rgb(img, 1, 0)[0], 0);
    EXPECT_EQ(Rgb(img, 2, 0)[0], 255);
    EXPECT_EQ(Rgb(img, 9, 0)[0], 255);
    EXPECT_FALSE(img.HasAlpha());
    PngSpec g4{2, 1, 4, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, {{0x5F}}, {}, {}};
    ASSERT_TRUE(Decode(WritePng(g4), FORMAT_PNG, img));
    EXPECT_EQ(Rgb(img, 0, 0), (std::array<int, 3>{85, 85, 85}));
    EXPECT_EQ(Rgb(img, 1, 0), (std::array<int, 3>{255, 255, 255}));
    PngSpec g16{2, 1, 16, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, {{0x80, 0x00, 0xFF, 0xFF}}, {}, {}};
    ASSERT_TRUE(Decode(WritePng(g16), FORMAT_PNG, img));
    EXPECT_EQ(Rgb(img, 0, 0)[1], 128);
    EXPECT_EQ(Rgb(img, 1, 0)[1], 255);

    // 16-bit RGBA, interlaced grey + alpha.
    PngSpec rgba16{
        1,  1, 16, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, {{0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x40, 0x00}},
        {}, {}};
    ASSERT_TRUE(Decode(WritePng(rgba16), FORMAT_PNG, img));
    EXPECT_EQ(Rgb(img, 0, 0), (std::array<int, 3>{255, 128, 0}));
    EXPECT_EQ(Alpha(img, 0, 0), 64);
    PngSpec ga{9, 9, 8, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_INTERLACE_ADAM7, {}, {}, {}};
    for (uint32_t y = 0; y < 9; ++y) {
        Bytes row;
        for (uint32_t x = 0; x < 9; ++x) {
            row.push_back(static_cast<uint8_t>(x * 20 + y));
            row.push_back(static_cast<uint8_t>(y * 25));
        }
        ga.rows.push_back(row);
    }
    ASSERT_TRUE(Decode(WritePng(ga), FORMAT_PNG, img)) << img.LastError();
    EXPECT_EQ(Rgb(img, 7, 3), (std::array<int, 3>{143, 143, 143}));
    EXPECT_EQ(Alpha(img, 7, 3), 75);
    EXPECT_EQ(Alpha(img, 0, 8), 200);
}

TEST(DecoderInput, JpegGreyAndCmyk) {
    Bytes grey(16 * 8);
    for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<uint8_t>(i < 64 ? 30 : 220);
    ImageCodec img;
    ASSERT_TRUE(Decode(WriteJpeg(16, 8, 1, JCS_GRAYSCALE, grey), FORMAT_JPG, img)) << img.LastError();
    EXPECT_EQ(img.GetBpp(), 8);
    EXPECT_NEAR(Rgb(img, 2, 1)[0], 30, 3);
    EXPECT_NEAR(Rgb(img, 2, 6)[2], 220, 3);

    // libjpeg writes an Adobe marker with CMYK; the samples follow the
    // Adobe (inverted) convention: red = C 0, M 255, Y 255, K 0 stored as
    // 255, 0, 0, 255.
    Bytes cmyk;
    for (int i = 0; i < 16 * 16; ++i) {
        const bool red = (i % 16) < 8;
        const uint8_t px[4] = {static_cast<uint8_t>(red ? 255 : 0), static_cast<uint8_t>(red ? 0 : 255), 0, 255};
        cmyk.insert(cmyk.end(), px, px + 4);
    }
    ASSERT_TRUE(Decode(WriteJpeg(16, 16, 4, JCS_CMYK, cmyk), FORMAT_JPG, img)) << img.LastError();
    const auto left = Rgb(img, 2, 5), right = Rgb(img, 13, 5);
    // Without a profile of their own they print as the default CMYK
    // profile says: a printed red and green, not the screen primaries.
    EXPECT_GT(left[0], 180);
    EXPECT_LT(left[1], 80);
    EXPECT_LT(left[2], 80);
    EXPECT_LT(right[0], 80);  // C 255 stored 0 → no red
    EXPECT_GT(right[1], 120);
    EXPECT_GT(right[1], right[2]);
}

TEST(DecoderInput, TiffVariants) {
    testsupport::TempDir dir;
    ImageCodec img;
    // 8-bit palette, two strips.
    Bytes pal = WriteTiff(dir.File("p.tif"), [](TIFF* t) {
        uint16_t r[256] = {}, g[256] = {}, b[256] = {};
        r[1] = 65535;
        b[2] = 65535;
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 4);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, 2);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        TIFFSetField(t, TIFFTAG_COLORMAP, r, g, b);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 1);
        uint8_t row0[4] = {1, 1, 2, 2}, row1[4] = {0, 2, 1, 0};
        return TIFFWriteScanline(t, row0, 0, 0) >= 0 && TIFFWriteScanline(t, row1, 1, 0) >= 0;
    });
    ASSERT_TRUE(Decode(pal, FORMAT_TIF, img)) << img.LastError();
    EXPECT_EQ(Rgb(img, 0, 0), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(Rgb(img, 3, 0), (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ(Rgb(img, 0, 1), (std::array<int, 3>{0, 0, 0}));

    // 16-bit RGB, tiled 16 × 16, image 20 × 18.
    Bytes tiled = WriteTiff(dir.File("t.tif"), [](TIFF* t) {
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 20);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, 18);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 16);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(t, TIFFTAG_TILELENGTH, 16);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        std::vector<uint16_t> tile(16 * 16 * 3);
        for (uint32_t ty = 0; ty < 18; ty += 16)
            for (uint32_t tx = 0; tx < 20; tx += 16) {
                for (uint32_t y = 0; y < 16; ++y)
                    for (uint32_t x = 0; x < 16; ++x) {
                        uint16_t* p = &tile[(y * 16 + x) * 3];
                        p[0] = static_cast<uint16_t>((tx + x) * 3000);
                        p[1] = static_cast<uint16_t>((ty + y) * 3000);
                        p[2] = 0xFFFF;
                    }
                if (TIFFWriteTile(t, tile.data(), tx, ty, 0, 0) < 0) return false;
            }
        return true;
    });
    ASSERT_TRUE(Decode(tiled, FORMAT_TIF, img)) << img.LastError();
    EXPECT_EQ(img.GetWidth(), 20u);
    EXPECT_EQ(img.GetHeight(), 18u);
    for (uint32_t y : {2u, 15u, 16u, 17u})
        for (uint32_t x : {0u, 5u, 16u, 19u}) {
            const auto px = Rgb(img, x, y);
            EXPECT_NEAR(px[0], x * 3000 / 257, 1) << x << "," << y;
            EXPECT_NEAR(px[1], y * 3000 / 257, 1) << x << "," << y;
            EXPECT_EQ(px[2], 255);
        }

    // Grey + associated alpha, separate planes.
    Bytes ga = WriteTiff(dir.File("g.tif"), [](TIFF* t) {
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 2);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, 1);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 2);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
        const uint16_t kinds[1] = {EXTRASAMPLE_ASSOCALPHA};
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, kinds);
        uint8_t grey[2] = {100, 50}, alpha[2] = {255, 128};
        return TIFFWriteScanline(t, grey, 0, 0) >= 0 && TIFFWriteScanline(t, alpha, 0, 1) >= 0;
    });
    ASSERT_TRUE(Decode(ga, FORMAT_TIF, img)) << img.LastError();
    ASSERT_TRUE(img.HasAlpha());
    EXPECT_EQ(Rgb(img, 0, 0)[0], 100);
    EXPECT_EQ(Alpha(img, 1, 0), 128);
    EXPECT_NEAR(Rgb(img, 1, 0)[0], 100, 1);  // 50 premultiplied by 128/255

    // Min-is-white 1-bit, big-endian file.
    Bytes bw = WriteTiff(dir.File("b.tif"), [](TIFF* t) {
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 8);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, 1);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        uint8_t row[1] = {0x0F};
        return TIFFWriteScanline(t, row, 0, 0) >= 0;
    });
    ASSERT_TRUE(Decode(bw, FORMAT_TIF, img)) << img.LastError();
    EXPECT_EQ(Rgb(img, 0, 0)[0], 255);
    EXPECT_EQ(Rgb(img, 7, 0)[0], 0);
}

TEST(DecoderInput, PnmVariants) {
    ImageCodec img;
    // Plain bitmap with comments and digits run together.
    ASSERT_TRUE(Decode(FromString("P1\n# a comment\n3 2\n010\n1 0 1\n"), FORMAT_PNM, img)) << img.LastError();
    EXPECT_EQ(Rgb(img, 0, 0)[0], 255);
    EXPECT_EQ(Rgb(img, 1, 0)[0], 0);
    EXPECT_EQ(Rgb(img, 0, 1)[0], 0);
    // Plain grey with maxval 15.
    ASSERT_TRUE(Decode(FromString("P2 2 1 15 0 15"), FORMAT_PNM, img));
    EXPECT_EQ(Rgb(img, 0, 0)[0], 0);
    EXPECT_EQ(Rgb(img, 1, 0)[0], 255);
    // Plain colour.
    ASSERT_TRUE(Decode(FromString("P3\n1 1\n255\n10 20 30\n"), FORMAT_PNM, img));
    EXPECT_EQ(Rgb(img, 0, 0), (std::array<int, 3>{10, 20, 30}));
    // Raw bitmap, 10 pixels: rows padded to whole bytes.
    Bytes p4 = FromString("P4\n10 2\n");
    p4.insert(p4.end(), {0x80, 0x40, 0xFF, 0xC0});
    ASSERT_TRUE(Decode(p4, FORMAT_PNM, img));
    EXPECT_EQ(Rgb(img, 0, 0)[0], 0);
    EXPECT_EQ(Rgb(img, 1, 0)[0], 255);
    EXPECT_EQ(Rgb(img, 9, 0)[0], 0);
    EXPECT_EQ(Rgb(img, 9, 1)[0], 0);
    // Raw 16-bit grey and colour (big-endian samples).
    Bytes p5 = FromString("P5 2 1 65535\n");
    p5.insert(p5.end(), {0x80, 0x00, 0xFF, 0xFF});
    ASSERT_TRUE(Decode(p5, FORMAT_PNM, img));
    EXPECT_EQ(Rgb(img, 0, 0)[0], 128);
    EXPECT_EQ(Rgb(img, 1, 0)[0], 255);
    Bytes p6 = FromString("P6 1 1 1000\n");
    p6.insert(p6.end(), {0x03, 0xE8, 0x01, 0xF4, 0x00, 0x00});
    ASSERT_TRUE(Decode(p6, FORMAT_PNM, img));
    EXPECT_EQ(Rgb(img, 0, 0), (std::array<int, 3>{255, 128, 0}));
    // Broken: short data, zero maxval, missing numbers, huge size.
    EXPECT_FALSE(Decode(FromString("P6 2 2 255\nabc"), FORMAT_PNM, img));
    EXPECT_FALSE(Decode(FromString("P2 1 1 0 0"), FORMAT_PNM, img));
    EXPECT_FALSE(Decode(FromString("P3 1 1 255 1 2"), FORMAT_PNM, img));
    EXPECT_FALSE(Decode(FromString("P5 30000 30000 255\n\x01"), FORMAT_PNM, img));
    EXPECT_FALSE(Decode(FromString("P5 99999999999999999999 1 255\n\x01"), FORMAT_PNM, img));
    EXPECT_EQ(img.GetWidth(), 0u);
}

TEST(DecoderInput, PgxVariants) {
    ImageCodec img;
    Bytes be = FromString("PG ML + 8 2 1\n");
    be.insert(be.end(), {0, 255});
    ASSERT_TRUE(Decode(be, FORMAT_PGX, img)) << img.LastError();
    EXPECT_EQ(Rgb(img, 0, 0)[0], 0);
    EXPECT_EQ(Rgb(img, 1, 0)[0], 255);
    // 12-bit signed little-endian: -2048 is black, 2047 white, 0 mid grey.
    Bytes le = FromString("PG LM -12 3 1\n");
    le.insert(le.end(), {0x00, 0x08, 0xFF, 0x07, 0x00, 0x00});
    ASSERT_TRUE(Decode(le, FORMAT_PGX, img)) << img.LastError();
    EXPECT_EQ(Rgb(img, 0, 0)[0], 0);
    EXPECT_EQ(Rgb(img, 1, 0)[0], 255);
    EXPECT_EQ(Rgb(img, 2, 0)[0], 128);
    // Found by content too.
    ASSERT_TRUE(Decode(be, FORMAT_UNKNOWN, img));
    EXPECT_FALSE(Decode(FromString("PG ML +8 2 2\n\x01\x02"), FORMAT_PGX, img));  // short
    EXPECT_FALSE(Decode(FromString("PG XX +8 1 1\n\x01"), FORMAT_PGX, img));
    EXPECT_FALSE(Decode(FromString("PG ML +40 1 1\n\x01\x01\x01\x01\x01"), FORMAT_PGX, img));
}

TEST(DecoderInput, SunRasterVariants) {
    ImageCodec img;
    // 1-bit, no map: set bits are black; rows padded to 16 bits.
    Bytes b1 = RasHeader(3, 2, 1, 4, 1, 0, 0);
    b1.insert(b1.end(), {0xA0, 0x00, 0x40, 0x00});
    ASSERT_TRUE(Decode(b1, FORMAT_RAS, img)) << img.LastError();
    EXPECT_EQ(Rgb(img, 0, 0)[0], 0);
    EXPECT_EQ(Rgb(img, 1, 0)[0], 255);
    EXPECT_EQ(Rgb(img, 1, 1)[0], 0);
    // 8-bit with an RGB colour map of 2 entries (index 5 beyond it: black).
    Bytes b8 = RasHeader(3, 1, 8, 4, 1, 1, 6);
    b8.insert(b8.end(), {255, 0, /*g*/ 0, 255, /*b*/ 0, 0});
    b8.insert(b8.end(), {0, 1, 5, 0});
    ASSERT_TRUE(Decode(b8, FORMAT_RAS, img)) << img.LastError();
    EXPECT_EQ(Rgb(img, 0, 0), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(Rgb(img, 1, 0), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(Rgb(img, 2, 0), (std::array<int, 3>{0, 0, 0}));
    // 24-bit RGB-order type, 32-bit standard (pad byte first).
    Bytes rgb = RasHeader(1, 1, 24, 4, 3, 0, 0);
    rgb.insert(rgb.end(), {10, 20, 30, 0});
    ASSERT_TRUE(Decode(rgb, FORMAT_RAS, img));
    EXPECT_EQ(Rgb(img, 0, 0), (std::array<int, 3>{10, 20, 30}));
    Bytes b32 = RasHeader(1, 1, 32, 4, 1, 0, 0);
    b32.insert(b32.end(), {0, 10, 20, 30});
    ASSERT_TRUE(Decode(b32, FORMAT_RAS, img));
    EXPECT_EQ(Rgb(img, 0, 0), (std::array<int, 3>{30, 20, 10}));
    // Run-length: 8-bit 6 × 2 (rows of 6): run of 7 × 0x11, literal 0x80, literals.
    Bytes rle = RasHeader(6, 2, 8, 9, 2, 0, 0);
    rle.insert(rle.end(), {0x80, 6, 0x11, 0x80, 0x00, 0x22, 0x33, 0x44, 0x55});
    ASSERT_TRUE(Decode(rle, FORMAT_RAS, img)) << img.LastError();
    EXPECT_EQ(Rgb(img, 5, 0)[0], 0x11);
    EXPECT_EQ(Rgb(img, 0, 1)[0], 0x11);
    EXPECT_EQ(Rgb(img, 1, 1)[0], 0x80);
    EXPECT_EQ(Rgb(img, 5, 1)[0], 0x55);
    // Broken: RLE stops early, escape at the end, short data, bad depth,
    // map longer than the file, huge size with tiny data.
    Bytes cut(rle.begin(), rle.end() - 2);
    EXPECT_FALSE(Decode(cut, FORMAT_RAS, img));
    Bytes esc = RasHeader(2, 1, 8, 1, 2, 0, 0);
    esc.push_back(0x80);
    EXPECT_FALSE(Decode(esc, FORMAT_RAS, img));
    Bytes shortData = RasHeader(4, 4, 24, 48, 1, 0, 0);
    shortData.resize(shortData.size() + 20);
    EXPECT_FALSE(Decode(shortData, FORMAT_RAS, img));
    EXPECT_FALSE(Decode(RasHeader(1, 1, 16, 2, 1, 0, 0), FORMAT_RAS, img));
    EXPECT_FALSE(Decode(RasHeader(1, 1, 8, 2, 1, 1, 1000), FORMAT_RAS, img));
    Bytes huge = RasHeader(30000, 4000, 24, 0, 2, 0, 0);
    huge.insert(huge.end(), 100, 0x80);
    EXPECT_FALSE(Decode(huge, FORMAT_RAS, img));
    EXPECT_EQ(img.GetWidth(), 0u);
}

TEST(DecoderInput, TruncatedAndCorruptedFilesNeverCrash) {
    ImageCodec img = imagetest::MakeImage(40, 30, true);
    img.SetCodecOption(16, FORMAT_JPG);
    img.SetCodecOption(1, FORMAT_PNG);
    std::mt19937 rng(11);
    for (int format : {FORMAT_JPG, FORMAT_PNG, FORMAT_TIF, FORMAT_JP2, FORMAT_JPC, FORMAT_PNM, FORMAT_RAS}) {
        Bytes file;
        ImageCodec back;
        ASSERT_TRUE(imagetest::RoundTrip(img, format, back, &file)) << format;
        // Cut at several points: either an error or the right size.
        for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{8}, std::size_t{20}, file.size() / 3,
                                file.size() / 2, file.size() - 1}) {
            Bytes part(file.begin(), file.begin() + std::min(cut, file.size()));
            ImageCodec t;
            if (t.LoadFromMemory(part.data(), part.size(), format)) {
                EXPECT_EQ(t.GetWidth(), 40u) << format << " cut " << cut;
            } else {
                EXPECT_EQ(t.GetWidth(), 0u);
                EXPECT_FALSE(t.LastError().empty());
            }
        }
        // Random bit flips.
        for (int round = 0; round < 40; ++round) {
            Bytes bad = file;
            for (int k = 0; k < 4; ++k) bad[rng() % bad.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
            ImageCodec t;
            if (t.LoadFromMemory(bad.data(), bad.size(), round % 2 ? format : FORMAT_UNKNOWN)) {
                EXPECT_FALSE(t.Data().pixels.empty());
                EXPECT_EQ(t.Data().pixels.size(), t.Data().RowBytes() * t.GetHeight());
            }
        }
    }
}

TEST(DecoderInput, HeadersPromisingHugeImagesAreRefusedQuickly) {
    const auto start = std::chrono::steady_clock::now();
    ImageCodec img;
    // PNG: 30000 × 30000 declared in a file of a few bytes.
    PngSpec tiny{1, 1, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, {{1, 2, 3}}, {}, {}};
    Bytes png = WritePng(tiny);
    png[16] = 0x00;
    png[17] = 0x00;
    png[18] = 0x75;
    png[19] = 0x30;
    png[20] = 0x00;
    png[21] = 0x00;
    png[22] = 0x75;
    png[23] = 0x30;
    // (The IHDR CRC no longer matches: either complaint is fine.)
    EXPECT_FALSE(Decode(png, FORMAT_PNG, img));
    // JPEG header of 40000 × 8: beyond the per-side limit.
    Bytes grey(8 * 8, 128);
    Bytes jpg = WriteJpeg(8, 8, 1, JCS_GRAYSCALE, grey);
    for (std::size_t i = 2; i + 8 < jpg.size(); ++i)
        if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {
            jpg[i + 7] = 0x9C;  // width 0x9C40 = 40000
            jpg[i + 8] = 0x40;
            break;
        }
    EXPECT_FALSE(Decode(jpg, FORMAT_JPG, img));
    EXPECT_NE(img.LastError().find("size"), std::string::npos) << img.LastError();
    // PNM and Sun raster with a huge size and no data.
    EXPECT_FALSE(Decode(FromString("P6 20000 20000 255\n"), FORMAT_PNM, img));
    EXPECT_FALSE(Decode(RasHeader(20000, 20000, 24, 0, 1, 0, 0), FORMAT_RAS, img));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 5.0);
}

TEST(DecoderInput, DecompressionBombsAreRefusedOrDecodedAtTheSizeShownWithinMemory) {
    // Peak memory over a decode, beyond what the process held before it.
    const auto growthMiB = [](const std::function<void()>& decode) {
        benchmemory::ResetPeakRss();
        const long before = benchmemory::CurrentRssKiB();
        decode();
        return (benchmemory::PeakRssKiB() - before) / 1024;
    };
    ImageCodec img;
    const Bytes jpeg = bombs::JpegDeclaring(11000);
    ASSERT_LT(jpeg.size(), 1024u);
    EXPECT_LT(growthMiB([&] { EXPECT_FALSE(img.LoadFromMemory(jpeg.data(), jpeg.size(), FORMAT_JPG, 1024)); }), 64);
    EXPECT_NE(img.LastError().find("too short"), std::string::npos) << img.LastError();

    // A face is shown at most 2048 pixels wide: the wavelet levels above
    // that are never decoded.
    const Bytes j2k = bombs::Jpeg2000Declaring(8000);
    ASSERT_LT(j2k.size(), 128u);
    EXPECT_LT(growthMiB([&] {
                  ASSERT_TRUE(img.LoadFromMemory(j2k.data(), j2k.size(), FORMAT_JPC, 2048)) << img.LastError();
              }),
              100);
    EXPECT_EQ(img.GetWidth(), 2000u);
    EXPECT_EQ(img.GetHeight(), 2000u);

    const Bytes scans = bombs::ManyScanJpeg(2000, 499);
    ASSERT_LT(scans.size(), 1u << 20);
    EXPECT_LT(growthMiB([&] { EXPECT_FALSE(img.LoadFromMemory(scans.data(), scans.size(), FORMAT_JPG, 1024)); }), 300);
    EXPECT_NE(img.LastError().find("too many progressive scans"), std::string::npos) << img.LastError();
    // An ordinary progressive file of that size still reads.
    const Bytes plain = [] {
        jpeg_compress_struct c;
        jpeg_error_mgr err;
        c.err = jpeg_std_error(&err);
        jpeg_create_compress(&c);
        c.image_width = c.image_height = 16;
        c.input_components = 3;
        c.in_color_space = JCS_RGB;
        jpeg_set_defaults(&c);
        jpeg_simple_progression(&c);
        std::vector<jpeg_scan_info> script(c.scan_info, c.scan_info + c.num_scans);
        jpeg_destroy_compress(&c);
        return bombs::FlatJpeg(1000, 1000, 3, script);
    }();
    EXPECT_TRUE(img.LoadFromMemory(plain.data(), plain.size(), FORMAT_JPG, 1024)) << img.LastError();
}
