// boxora-render beyond one surface: a picture drawn in tiles equals the
// picture drawn in one piece (no seams along the tile edges), in every kind
// of output (rows encoded band by band, or assembled), and carries its
// print resolution.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <tiffio.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "image/ImageCodec.h"
#include "platform/ProfileFile.h"
#include "render/TiledRender.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

fs::path Exe() { return testsupport::AppDir() / "boxora-render"; }
std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Mean absolute difference per channel (B, G, R and alpha), in levels.
struct Difference {
    double all = 0;       // over the whole picture
    double edges = 0;     // over the pixels on either side of a tile edge
    double interior = 0;  // over the pixels half a tile away from the edges
};

class TiledRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(Exe())) GTEST_SKIP() << "boxora-render not built";
        if (!fs::exists(testsupport::AppDir() / "data" / "Objects" / "Box.3ds")) GTEST_SKIP() << "no model catalogue";
        examples = testsupport::DataDir().parent_path().parent_path() / "examples";
    }

    // scene: an example's name or a path.
    int Run(const std::string& scene, const std::string& out, const std::string& options) {
        const std::string path = fs::exists(scene) ? scene : (examples / scene).string();
        const std::string command = Quote(Exe().string()) + " " + Quote(path) + " -o " + Quote(dir.File(out)) +
                                    " --quiet " + options + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    ImageCodec Load(const std::string& name, int format) {
        ImageCodec image;
        EXPECT_TRUE(image.Load(dir.File(name), format)) << name;
        return image;
    }

    // Columns and rows 1 pixel either side of each tile edge, against
    // columns and rows in the middle of the tiles.
    static Difference Compare(const ImageCodec& a, const ImageCodec& b, int tile) {
        Difference d;
        const auto& pa = a.Data();
        const auto& pb = b.Data();
        if (pa.width != pb.width || pa.height != pb.height || pa.bpp != 24 || pb.bpp != 24) {
            ADD_FAILURE() << "pictures differ in size or kind";
            return d;
        }
        const int w = static_cast<int>(pa.width), h = static_cast<int>(pa.height);
        std::vector<char> edge(static_cast<std::size_t>(w) * h, 0), inner(edge.size(), 0);
        const auto mark = [&](const std::vector<boxora::TileSpan>& spans, bool columns) {
            for (const boxora::TileSpan& s : spans) {
                for (int offset : {s.start - 1, s.start}) {
                    if (s.start == 0 || offset < 0) continue;
                    for (int i = 0; i < (columns ? h : w); ++i)
                        edge[columns ? static_cast<std::size_t>(i) * w + offset
                                     : static_cast<std::size_t>(offset) * w + i] = 1;
                }
                for (int offset : {s.start + s.size / 2 - 1, s.start + s.size / 2})
                    for (int i = 0; i < (columns ? h : w); ++i)
                        inner[columns ? static_cast<std::size_t>(i) * w + offset
                                      : static_cast<std::size_t>(offset) * w + i] = 1;
            }
        };
        mark(boxora::SplitEvenly(w, tile), true);
        mark(boxora::SplitEvenly(h, tile), false);
        double sums[3] = {0, 0, 0};
        std::size_t counts[3] = {0, 0, 0};
        const bool alpha = !pa.alpha.empty() && !pb.alpha.empty();
        for (std::size_t p = 0; p < edge.size(); ++p) {
            double diff = 0;
            for (int c = 0; c < 3; ++c) diff += std::abs(pa.pixels[3 * p + c] - pb.pixels[3 * p + c]);
            if (alpha) diff += std::abs(pa.alpha[p] - pb.alpha[p]);
            diff /= alpha ? 4.0 : 3.0;
            sums[0] += diff, ++counts[0];
            if (edge[p])
                sums[1] += diff, ++counts[1];
            else if (inner[p])
                sums[2] += diff, ++counts[2];
        }
        d.all = sums[0] / static_cast<double>(std::max<std::size_t>(counts[0], 1));
        d.edges = sums[1] / static_cast<double>(std::max<std::size_t>(counts[1], 1));
        d.interior = sums[2] / static_cast<double>(std::max<std::size_t>(counts[2], 1));
        return d;
    }

    testsupport::TempDir dir;
    fs::path examples;
};

TEST_F(TiledRenderTest, TilesJoinIntoTheOnePiecePicture) {
    // Two objects with their reflection and a long, strong, very soft
    // shadow across several tiles: enough samples that the shadow is drawn
    // at reduced resolution and magnified, which must blend across the tile
    // edges as it does in one piece. A size the tiles do not divide, and a
    // transparent background whose alpha is written too.
    boxora::ProfileDocument doc = boxora::ProfileDocument::Load((examples / "dvd-and-cd.scn").string());
    doc.SetString("LIGHT_SHADOW", "Length", "300");
    doc.SetString("LIGHT_SHADOW", "Shadow_Intensity", "100");
    doc.SetString("LIGHT_SHADOW", "Shadow_Blur", "100");
    const std::string scene = dir.File("long-shadow.scn");
    ASSERT_TRUE(doc.Save(scene));
    const std::string size = " --size 410x300 --seed 4";
    for (const std::string extra : {"", " --transparent"}) {
        ASSERT_EQ(Run(scene, "one.png", size + extra), 0);
        ASSERT_EQ(Run(scene, "tiled.png", size + extra + " --tile 100"), 0);
        const ImageCodec one = Load("one.png", FORMAT_PNG), tiled = Load("tiled.png", FORMAT_PNG);
        const Difference d = Compare(one, tiled, 100);
        EXPECT_LT(d.all, 1.5) << extra;
        // A seam would be a line of differences along the edges.
        EXPECT_LE(d.edges, 2 * d.interior + 0.25) << extra << " edges " << d.edges << " inside " << d.interior;
    }
    // Not a blank match: another seed moves the shadow.
    ASSERT_EQ(Run(scene, "other.png", size + " --tile 100 --seed 5"), 0);
    EXPECT_GT(Compare(Load("tiled.png", FORMAT_PNG), Load("other.png", FORMAT_PNG), 100).all, 0.0);
}

// The resolution fields as stored in each format, in dots per inch (PNG
// stores pixels per metre).
double PngPixelsPerMetre(const std::string& bytes) {
    const std::size_t at = bytes.find("pHYs");
    if (at == std::string::npos || at + 13 > bytes.size()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at + 4);
    const uint32_t x = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
    return p[8] == 1 ? x : 0;  // unit: metre
}

int JfifDotsPerInch(const std::string& bytes) {
    const std::size_t at = bytes.find(std::string("JFIF\0", 5));
    if (at == std::string::npos || at + 12 > bytes.size()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at + 7);
    return p[0] == 1 ? (p[1] << 8 | p[2]) : 0;  // unit 1: dots per inch
}

float TiffDotsPerInch(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif) return 0;
    float x = 0, y = 0;
    uint16_t unit = 0;
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y);
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFClose(tif);
    return unit == RESUNIT_INCH && x == y ? x : 0;
}

TEST_F(TiledRenderTest, EveryFormatTakesATiledPictureWithItsResolution) {
    // PNG, JPEG and TIFF are encoded band by band; BMP is assembled first.
    struct Case {
        const char* ext;
        int format;
        double tolerance;
    };
    for (const Case c : {Case{"png", FORMAT_PNG, 1.5}, Case{"jpg", FORMAT_JPG, 3.0}, Case{"tif", FORMAT_TIF, 1.5},
                         Case{"bmp", FORMAT_BMP, 1.5}}) {
        const std::string one = std::string("one.") + c.ext, tiled = std::string("tiled.") + c.ext;
        ASSERT_EQ(Run("single-box.scn", one, "--size 200x150 --seed 2 --dpi 300"), 0) << c.ext;
        ASSERT_EQ(Run("single-box.scn", tiled, "--size 200x150 --seed 2 --dpi 300 --tile 64"), 0) << c.ext;
        const ImageCodec a = Load(one, c.format), b = Load(tiled, c.format);
        ASSERT_EQ(b.GetWidth(), 200u) << c.ext;
        ASSERT_EQ(b.GetHeight(), 150u) << c.ext;
        EXPECT_LT(Compare(a, b, 64).all, c.tolerance) << c.ext;
        for (const std::string& name : {one, tiled}) {
            const std::string bytes = testsupport::ReadFileBytes(dir.File(name));
            if (c.format == FORMAT_PNG) {
                EXPECT_EQ(PngPixelsPerMetre(bytes), 11811) << name;
            } else if (c.format == FORMAT_JPG) {
                EXPECT_EQ(JfifDotsPerInch(bytes), 300) << name;
            } else if (c.format == FORMAT_TIF) {
                EXPECT_EQ(TiffDotsPerInch(dir.File(name)), 300.0f) << name;
            }
        }
    }
}

TEST_F(TiledRenderTest, PrintSizeGivesThePixelsAtTheResolution) {
    // 20 mm = 236.2 px and 10 mm = 118.1 px at 300 dpi.
    ASSERT_EQ(Run("single-box.scn", "card.png", "--print 20x10mm --dpi 300"), 0);
    const ImageCodec card = Load("card.png", FORMAT_PNG);
    EXPECT_EQ(card.GetWidth(), 236u);
    EXPECT_EQ(card.GetHeight(), 118u);
    EXPECT_EQ(PngPixelsPerMetre(testsupport::ReadFileBytes(dir.File("card.png"))), 11811);
    // A paper size needs the resolution.
    EXPECT_NE(Run("single-box.scn", "no.png", "--print 20x10mm"), 0);
    EXPECT_FALSE(fs::exists(dir.File("no.png")));
}

}  // namespace
