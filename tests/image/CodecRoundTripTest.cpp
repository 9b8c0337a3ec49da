// Encode-then-decode for every format this layer writes, and the effect of
// each export option, checked on the written bytes or with the format's
// own library.
#include <gtest/gtest.h>

#include <tiffio.h>
#include <cstring>

#include "image/ImageCodec.h"
#include "tests/image/ImageTestUtil.h"

using imagetest::MakeImage;
using imagetest::RoundTrip;

namespace {

struct Size {
    uint32_t w, h;
};
const Size kSizes[] = {{1, 1}, {2, 1}, {3, 5}, {17, 9}, {64, 48}};

// Positions of JPEG markers (FF xx) in the header segments, up to the
// first scan.
std::vector<uint8_t> JpegMarkers(const std::vector<uint8_t>& f) {
    std::vector<uint8_t> markers;
    std::size_t i = 2;
    while (i + 4 <= f.size() && f[i] == 0xFF) {
        const uint8_t m = f[i + 1];
        markers.push_back(m);
        if (m == 0xDA) break;
        const std::size_t len = static_cast<std::size_t>(f[i + 2]) << 8 | f[i + 3];
        i += 2 + len;
    }
    return markers;
}

// The payloads of all DHT segments before the first scan.
std::vector<uint8_t> JpegHuffmanTables(const std::vector<uint8_t>& f) {
    std::vector<uint8_t> tables;
    std::size_t i = 2;
    while (i + 4 <= f.size() && f[i] == 0xFF && f[i + 1] != 0xDA) {
        const std::size_t len = static_cast<std::size_t>(f[i + 2]) << 8 | f[i + 3];
        if (f[i + 1] == 0xC4) tables.insert(tables.end(), f.begin() + i + 4, f.begin() + i + 2 + len);
        i += 2 + len;
    }
    return tables;
}

bool Contains(const std::vector<uint8_t>& v, uint8_t x) { return std::find(v.begin(), v.end(), x) != v.end(); }

struct TiffTags {
    uint16_t compression = 0, predictor = 1, spp = 0, bps = 0, photometric = 0;
    uint32_t rowsPerStrip = 0;
    uint16_t extraCount = 0, extraKind = 0;
};

tmsize_t MemRead(thandle_t h, void* buf, tmsize_t n) {
    auto* v = static_cast<std::pair<const std::vector<uint8_t>*, uint64_t>*>(h);
    const uint64_t left = v->first->size() - std::min<uint64_t>(v->second, v->first->size());
    const uint64_t count = std::min<uint64_t>(left, static_cast<uint64_t>(n));
    std::memcpy(buf, v->first->data() + v->second, count);
    v->second += count;
    return static_cast<tmsize_t>(count);
}
tmsize_t MemWrite(thandle_t, void*, tmsize_t) { return -1; }
toff_t MemSeek(thandle_t h, toff_t off, int whence) {
    auto* v = static_cast<std::pair<const std::vector<uint8_t>*, uint64_t>*>(h);
    v->second = whence == SEEK_SET ? off : whence == SEEK_CUR ? v->second + off : v->first->size() + off;
    return v->second;
}
int MemClose(thandle_t) { return 0; }
toff_t MemSize(thandle_t h) { return static_cast<std::pair<const std::vector<uint8_t>*, uint64_t>*>(h)->first->size(); }
int MemMap(thandle_t, void**, toff_t*) { return 0; }
void MemUnmap(thandle_t, void*, toff_t) {}

// Reads the tags back with libtiff itself.
TiffTags ReadTiffTags(const std::vector<uint8_t>& file) {
    TiffTags t;
    std::pair<const std::vector<uint8_t>*, uint64_t> handle{&file, 0};
    TIFF* tif = TIFFClientOpen("t", "r", &handle, MemRead, MemWrite, MemSeek, MemClose, MemSize, MemMap, MemUnmap);
    if (!tif) return t;
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &t.compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PREDICTOR, &t.predictor);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &t.spp);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &t.bps);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &t.photometric);
    TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &t.rowsPerStrip);
    uint16_t* kinds = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &t.extraCount, &kinds) && t.extraCount > 0) t.extraKind = kinds[0];
    TIFFClose(tif);
    return t;
}

// A black-and-white picture (text on paper).
ImageCodec MakeBilevel(uint32_t w, uint32_t h) {
    std::vector<uint8_t> px(static_cast<std::size_t>(w) * h * 3, 255);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            if ((x * 7 + y * 3) % 11 < 4 || y == h / 2)
                std::memset(&px[(static_cast<std::size_t>(y) * w + x) * 3], 0, 3);
    ImageCodec img;
    img.CreateFromArray(px.data(), w, h, 24, static_cast<int>(w * 3), false);
    return img;
}

}  // namespace

TEST(CodecRoundTrip, LosslessFormatsGiveIdenticalPixels) {
    for (int format : {FORMAT_PNG, FORMAT_TIF, FORMAT_PNM, FORMAT_RAS, FORMAT_JP2, FORMAT_JPC}) {
        for (const Size& s : kSizes) {
            ImageCodec img = MakeImage(s.w, s.h, false);
            ImageCodec back;
            ASSERT_TRUE(RoundTrip(img, format, back)) << format << " " << s.w << "x" << s.h << " " << back.LastError();
            ASSERT_EQ(back.GetWidth(), s.w);
            ASSERT_EQ(back.GetHeight(), s.h);
            EXPECT_EQ(back.Encode2RGB_Ex(), img.Encode2RGB_Ex()) << format << " " << s.w << "x" << s.h;
            EXPECT_FALSE(back.HasAlpha()) << format;
        }
    }
}

TEST(CodecRoundTrip, AlphaIsKeptByPngTiffAndJpeg2000AndDroppedByPnmAndRas) {
    for (int format : {FORMAT_PNG, FORMAT_TIF, FORMAT_JP2, FORMAT_JPC}) {
        for (const Size& s : kSizes) {
            ImageCodec img = MakeImage(s.w, s.h, true);
            ImageCodec back;
            ASSERT_TRUE(RoundTrip(img, format, back)) << format << " " << back.LastError();
            ASSERT_TRUE(back.HasAlpha()) << format;
            EXPECT_EQ(back.Data().alpha, img.Data().alpha) << format << " " << s.w << "x" << s.h;
            // Colour under fully transparent pixels is kept too.
            EXPECT_EQ(back.Encode2RGB_Ex(), img.Encode2RGB_Ex()) << format << " " << s.w << "x" << s.h;
        }
    }
    for (int format : {FORMAT_PNM, FORMAT_RAS, FORMAT_JPG}) {
        ImageCodec img = MakeImage(8, 8, true);
        ImageCodec back;
        ASSERT_TRUE(RoundTrip(img, format, back)) << format;
        EXPECT_FALSE(back.HasAlpha()) << format;
    }
}

TEST(CodecRoundTrip, JpegStaysCloseAtEveryQualityAndOption) {
    // The test frame has 4-pixel stripes, hard for JPEG: the bounds are
    // those of a standard encoder on it, and error falls with quality.
    const struct {
        int quality;
        double bound;
    } levels[] = {{100, 1.0}, {75, 9.0}, {30, 14.0}};
    double previous = 0;
    for (const auto& level : levels) {
        double first = -1;
        for (int option : {0, 8, 16, 24}) {
            ImageCodec img = MakeImage(64, 48, false);
            img.SetJpegQuality(level.quality);
            img.SetCodecOption(option, FORMAT_JPG);
            ImageCodec back;
            ASSERT_TRUE(RoundTrip(img, FORMAT_JPG, back)) << back.LastError();
            ASSERT_EQ(back.GetWidth(), 64u);
            const double mean = imagetest::MeanDifference(back.Encode2RGB_Ex(), img.Encode2RGB_Ex());
            EXPECT_LT(mean, level.bound) << level.quality << " " << option;
            // Coding options change the file, never the pixels.
            if (first < 0) first = mean;
            EXPECT_DOUBLE_EQ(mean, first) << level.quality << " " << option;
        }
        EXPECT_GT(first, previous) << level.quality;
        previous = first;
    }
    // Odd sizes decode to their size.
    for (const Size& s : kSizes) {
        ImageCodec back;
        ASSERT_TRUE(RoundTrip(MakeImage(s.w, s.h, false), FORMAT_JPG, back));
        EXPECT_EQ(back.GetWidth(), s.w);
        EXPECT_EQ(back.GetHeight(), s.h);
    }
}

TEST(CodecRoundTrip, JpegOptionsShowInTheMarkers) {
    ImageCodec img = MakeImage(96, 64, false);
    img.SetJpegQuality(80);
    auto encode = [&](int option) {
        img.SetCodecOption(option, FORMAT_JPG);
        std::vector<uint8_t> file;
        ImageCodec back;
        EXPECT_TRUE(RoundTrip(img, FORMAT_JPG, back, &file));
        return file;
    };
    const auto baseline = encode(0), optimised = encode(8), progressive = encode(16), both = encode(24);
    EXPECT_TRUE(Contains(JpegMarkers(baseline), 0xC0));
    EXPECT_FALSE(Contains(JpegMarkers(baseline), 0xC2));
    EXPECT_TRUE(Contains(JpegMarkers(optimised), 0xC0));
    EXPECT_TRUE(Contains(JpegMarkers(progressive), 0xC2));
    EXPECT_FALSE(Contains(JpegMarkers(progressive), 0xC0));
    EXPECT_TRUE(Contains(JpegMarkers(both), 0xC2));
    // Optimised coding builds its own Huffman tables instead of the
    // standard ones, and the entropy-coded data gets smaller.
    EXPECT_NE(JpegHuffmanTables(baseline), JpegHuffmanTables(optimised));
    EXPECT_LT(optimised.size(), baseline.size());
    // Higher quality, larger file.
    img.SetCodecOption(0, FORMAT_JPG);
    img.SetJpegQuality(20);
    const auto small = encode(0);
    EXPECT_LT(small.size(), baseline.size());
}

TEST(CodecRoundTrip, PngInterlaceOptionSetsTheHeaderByte) {
    for (bool alpha : {false, true}) {
        ImageCodec img = MakeImage(33, 17, alpha);
        for (int option : {0, 1, 2}) {
            img.SetCodecOption(option, FORMAT_PNG);
            std::vector<uint8_t> file;
            ImageCodec back;
            ASSERT_TRUE(RoundTrip(img, FORMAT_PNG, back, &file));
            ASSERT_GT(file.size(), 29u);
            EXPECT_EQ(file[28], option == 1 ? 1 : 0) << "interlace byte, option " << option;
            EXPECT_EQ(file[25], alpha ? 6 : 2) << "colour type";
            EXPECT_EQ(back.Encode2RGB_Ex(), img.Encode2RGB_Ex());
            EXPECT_EQ(back.Data().alpha, img.Data().alpha);
        }
    }
}

TEST(CodecRoundTrip, TiffCompressionOptionsAreWrittenAndReadBack) {
    struct Case {
        int option;
        uint16_t colourCompression;   // what a colour picture gets
        uint16_t bilevelCompression;  // what a black-and-white picture gets
    };
    const Case cases[] = {
        {0, COMPRESSION_LZW, COMPRESSION_CCITTFAX4},
        {1, COMPRESSION_NONE, COMPRESSION_NONE},
        {2, COMPRESSION_LZW, COMPRESSION_CCITTRLE},
        {4, COMPRESSION_LZW, COMPRESSION_CCITTFAX4},
        {5, COMPRESSION_LZW, COMPRESSION_LZW},
        {7, COMPRESSION_JPEG, COMPRESSION_JPEG},
        {32773, COMPRESSION_PACKBITS, COMPRESSION_PACKBITS},
        {3, COMPRESSION_LZW, COMPRESSION_CCITTFAX4},
    };
    for (const Case& c : cases) {
        for (bool alpha : {false, true}) {
            ImageCodec img = MakeImage(40, 37, alpha);
            img.SetCodecOption(c.option, FORMAT_TIF);
            img.SetJpegQuality(90);
            std::vector<uint8_t> file;
            ImageCodec back;
            ASSERT_TRUE(RoundTrip(img, FORMAT_TIF, back, &file)) << c.option << " " << back.LastError();
            const TiffTags t = ReadTiffTags(file);
            EXPECT_EQ(t.compression, c.colourCompression) << "option " << c.option;
            EXPECT_EQ(t.spp, alpha ? 4 : 3);
            EXPECT_EQ(t.bps, 8);
            if (alpha) {
                EXPECT_EQ(t.extraCount, 1);
                EXPECT_EQ(t.extraKind, EXTRASAMPLE_UNASSALPHA);
            }
            if (t.compression == COMPRESSION_LZW) {
                EXPECT_EQ(t.predictor, PREDICTOR_HORIZONTAL);
            }
            ASSERT_TRUE(back.HasAlpha() == alpha);
            if (t.compression == COMPRESSION_JPEG) {
                EXPECT_EQ(t.rowsPerStrip % 8, 0u);
                EXPECT_LT(imagetest::MeanDifference(back.Encode2RGB_Ex(), img.Encode2RGB_Ex()), 4.0);
                if (alpha) {
                    EXPECT_LT(imagetest::MeanDifference(back.Data().alpha, img.Data().alpha), 4.0);
                }
            } else {
                EXPECT_EQ(back.Encode2RGB_Ex(), img.Encode2RGB_Ex()) << "option " << c.option;
                EXPECT_EQ(back.Data().alpha, img.Data().alpha);
            }
        }
        ImageCodec bw = MakeBilevel(50, 23);
        bw.SetCodecOption(c.option, FORMAT_TIF);
        std::vector<uint8_t> file;
        ImageCodec back;
        ASSERT_TRUE(RoundTrip(bw, FORMAT_TIF, back, &file)) << c.option << " " << back.LastError();
        const TiffTags t = ReadTiffTags(file);
        EXPECT_EQ(t.compression, c.bilevelCompression) << "bilevel, option " << c.option;
        if (t.compression == COMPRESSION_CCITTRLE || t.compression == COMPRESSION_CCITTFAX4) {
            EXPECT_EQ(t.bps, 1);
            EXPECT_EQ(t.photometric, PHOTOMETRIC_MINISWHITE);
        }
        if (t.compression == COMPRESSION_JPEG)
            EXPECT_LT(imagetest::MeanDifference(back.Encode2RGB_Ex(), bw.Encode2RGB_Ex()), 12.0);
        else
            EXPECT_EQ(back.Encode2RGB_Ex(), bw.Encode2RGB_Ex()) << "bilevel, option " << c.option;
    }
}

TEST(CodecRoundTrip, TiffPaletteImageKeepsItsPalette) {
    ImageCodec img = MakeImage(30, 20, false);
    ASSERT_TRUE(img.DecreaseBpp());
    for (int option : {0, 1, 5, 32773}) {
        img.SetCodecOption(option, FORMAT_TIF);
        std::vector<uint8_t> file;
        ImageCodec back;
        ASSERT_TRUE(RoundTrip(img, FORMAT_TIF, back, &file));
        EXPECT_EQ(ReadTiffTags(file).photometric, PHOTOMETRIC_PALETTE);
        EXPECT_EQ(back.Encode2RGB_Ex(), img.Encode2RGB_Ex());
    }
}

TEST(CodecRoundTrip, Jpeg2000FilesCarryTheirSignatures) {
    ImageCodec img = MakeImage(20, 20, true);
    std::vector<uint8_t> jp2, jpc;
    ImageCodec back;
    ASSERT_TRUE(RoundTrip(img, FORMAT_JP2, back, &jp2));
    ASSERT_TRUE(RoundTrip(img, FORMAT_JPC, back, &jpc));
    EXPECT_EQ(imagecodec::SniffFormat(jp2.data(), jp2.size()), FORMAT_JP2);
    EXPECT_EQ(imagecodec::SniffFormat(jpc.data(), jpc.size()), FORMAT_JPC);
    // A JP2 file marks the fourth component as opacity (channel definition box).
    const std::string s(jp2.begin(), jp2.end());
    EXPECT_NE(s.find("cdef"), std::string::npos);
}

TEST(CodecRoundTrip, Jpeg2000TilesJoinWithoutSeams) {
    // Written in 1024-pixel tiles: the last column and row of tiles are
    // 6 pixels wide and 1 pixel high here.
    ImageCodec img = MakeImage(1030, 1025, true);
    for (int format : {FORMAT_JP2, FORMAT_JPC}) {
        ImageCodec back;
        ASSERT_TRUE(RoundTrip(img, format, back)) << back.LastError();
        EXPECT_EQ(back.Encode2RGB_Ex(), img.Encode2RGB_Ex()) << format;
        EXPECT_EQ(back.Data().alpha, img.Data().alpha) << format;
    }
}

TEST(CodecRoundTrip, PnmAndRasHeadersAreStandard) {
    ImageCodec img = MakeImage(5, 3, false);
    std::vector<uint8_t> pnm, ras;
    ImageCodec back;
    ASSERT_TRUE(RoundTrip(img, FORMAT_PNM, back, &pnm));
    ASSERT_TRUE(RoundTrip(img, FORMAT_RAS, back, &ras));
    const std::string header(pnm.begin(), pnm.begin() + 11);
    EXPECT_EQ(header, "P6\n5 3\n255\n");
    EXPECT_EQ(pnm.size(), 11u + 5 * 3 * 3);
    // Sun raster: magic, 5 × 3, 24 bits, rows padded to 16 bits (15 → 16).
    ASSERT_GE(ras.size(), 32u);
    const uint8_t expectHeader[] = {0x59, 0xA6, 0x6A, 0x95, 0, 0, 0, 5,  0, 0, 0, 3,
                                    0,    0,    0,    24,   0, 0, 0, 48, 0, 0, 0, 1};
    EXPECT_EQ(0, std::memcmp(ras.data(), expectHeader, sizeof expectHeader));
    EXPECT_EQ(ras.size(), 32u + 16 * 3);
}
