// boxora-render --dieline's files read by the programs of the trade:
// Ghostscript's separations of the PDF, ezdxf for the DXF.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <tiffio.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

int Shell(const std::string& command, std::string* out = nullptr) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    std::size_t n;
    std::string text;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    const int status = pclose(pipe);
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Cli(const std::string& args) {
    return "'" + (testsupport::AppDir() / "boxora-render").string() + "' " + args;
}

// One 8-bit plate of Ghostscript's tiffsep.
struct Plate {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;
    bool Read(const std::string& path) {
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        if (!tif) return false;
        uint16_t bits = 0, samples = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
        bool ok = bits == 8 && samples == 1;
        pixels.resize(static_cast<std::size_t>(width) * height);
        for (uint32_t y = 0; ok && y < height; ++y)
            ok = TIFFReadScanline(tif, pixels.data() + static_cast<std::size_t>(y) * width, y) >= 0;
        TIFFClose(tif);
        return ok;
    }
    // Whether ink differs from the blank page corner within a pixel of the
    // point at (x, y) mm, pxPerMm pixels to the millimetre.
    bool InkNear(double xMm, double yMm, double pxPerMm) const {
        const uint8_t blank = pixels[static_cast<std::size_t>(2 * width + 2)];
        const long cx = std::lround(xMm * pxPerMm), cy = std::lround(yMm * pxPerMm);
        for (long y = cy - 1; y <= cy + 1; ++y)
            for (long x = cx - 1; x <= cx + 1; ++x)
                if (x >= 0 && y >= 0 && x < static_cast<long>(width) && y < static_cast<long>(height) &&
                    std::abs(pixels[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)] - blank) > 64)
                    return true;
        return false;
    }
};

class DielineFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(testsupport::AppDir() / "boxora-render")) GTEST_SKIP() << "boxora-render not built";
    }
    testsupport::TempDir dir;
    const std::string rte = "--dieline rte --size-mm 60x190x40 ";
};

TEST_F(DielineFiles, PdfSeparatesCutAndCreasePlatesWhereTheLinesAre) {
    const std::string pdf = dir.File("rte.pdf");
    ASSERT_EQ(Shell(Cli(rte + "-o '" + pdf + "'")), 0);
    // 10 pixels to the millimetre.
    std::string out;
    ASSERT_EQ(Shell("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=tiffsep -r254 -sOutputFile='" + dir.File("sep.tif") +
                        "' '" + pdf + "'",
                    &out),
              0)
        << out;
    Plate cut, crease, bleed;
    ASSERT_TRUE(cut.Read(dir.File("sep(CutContour).tif")));
    ASSERT_TRUE(crease.Read(dir.File("sep(Crease).tif")));
    ASSERT_TRUE(bleed.Read(dir.File("sep(Bleed).tif")));
    // The page is the bleed box: 216.6 + 6 by 303.52 + 6 mm.
    EXPECT_NEAR(cut.width, 2226, 1);
    EXPECT_NEAR(cut.height, 3095, 1);
    const double k = 10;
    // Across the middle of the body (y = 3 + 56.56 + 95.2 mm): the glue
    // flap's free edge is cut at 3 mm; its crease at 3 + 15 mm, then the
    // creases between the walls; the back's far edge is cut.
    const double y = 3 + 56.56 + 95.2;
    EXPECT_TRUE(cut.InkNear(3, y, k));
    EXPECT_FALSE(crease.InkNear(3, y, k));
    for (double x : {18.0, 18 + 40.4, 18 + 40.4 + 60.4, 18 + 2 * 40.4 + 60.4}) {
        EXPECT_TRUE(crease.InkNear(x, y, k)) << x;
        EXPECT_FALSE(cut.InkNear(x, y, k)) << x;
    }
    EXPECT_TRUE(cut.InkNear(3 + 216.6, y, k));
    // Nothing inside the front panel; the bleed outline 3 mm outside the cut.
    EXPECT_FALSE(cut.InkNear(18 + 40.4 + 30, y, k));
    EXPECT_FALSE(crease.InkNear(18 + 40.4 + 30, y, k));
    EXPECT_TRUE(bleed.InkNear(3 + 216.6 + 3 - 0.1, y, k));
    EXPECT_FALSE(bleed.InkNear(3, y, k));
}

TEST_F(DielineFiles, DxfOpensInEzdxfWithCutAndCreaseLayersInMillimetres) {
    const std::string dxf = dir.File("rte.dxf");
    ASSERT_EQ(Shell(Cli(rte + "-o '" + dxf + "'")), 0);
    const std::string script =
        "import sys, ezdxf\n"
        "doc = ezdxf.readfile(sys.argv[1])\n"
        "lines = {}\n"
        "for e in doc.modelspace().query('LINE'):\n"
        "    lines.setdefault(e.dxf.layer, []).append(e)\n"
        "cut = lines.get('CUT', [])\n"
        "xs = [p[0] for e in cut for p in (e.dxf.start, e.dxf.end)]\n"
        "names = sorted(l.dxf.name for l in doc.layers if l.dxf.name in ('CUT', 'CREASE', 'BLEED'))\n"
        "print(len(doc.audit().errors), doc.header.get('$INSUNITS'), names,\n"
        "      len(cut) > 20, len(lines.get('CREASE', [])) > 10, len(lines.get('BLEED', [])) > 4,\n"
        "      round(max(xs) - min(xs), 4))\n";
    testsupport::WriteFileBytes(dir.File("check.py"), script);
    std::string out;
    ASSERT_EQ(Shell("/usr/bin/python3 '" + dir.File("check.py") + "' '" + dxf + "'", &out), 0) << out;
    EXPECT_EQ(out, "0 4 ['BLEED', 'CREASE', 'CUT'] True True True 216.6\n");
}

TEST_F(DielineFiles, BadValuesFailWithAMessageAndWriteNothing) {
    const std::string out = dir.File("bad.pdf");
    const std::pair<std::string, std::string> cases[] = {
        {"--dieline cube --size-mm 60x190x40", "unknown dieline style"},
        {"--dieline rte --size-mm 60x-190x40", "height"},
        {"--dieline rte --size-mm 0x190x40", "width"},
        {"--dieline rte --size-mm 60x190x4000", "depth"},
        {"--dieline rte --size-mm 60x190", "--size-mm"},
        {"--dieline rte --size-mm 60x190x40 --thickness 20", "thickness"},
        {"--dieline rte --size-mm 8x190x40 --thickness 3", "too thick"},
        {"--dieline rte --size-mm 60x190x40 --bleed=-2", "bleed"},
    };
    for (const auto& [args, says] : cases) {
        std::string text;
        EXPECT_EQ(Shell(Cli(args + " -o '" + out + "'"), &text), 2) << args;
        EXPECT_NE(text.find(says), std::string::npos) << args << ": " << text;
    }
    EXPECT_EQ(Shell(Cli(rte + "-o '" + dir.File("net.png") + "'")), 2);
    EXPECT_FALSE(fs::exists(out));
    // A doubtful value is warned about and the file still made.
    std::string text;
    EXPECT_EQ(Shell(Cli(rte + "--glue-flap 70 -o '" + out + "'"), &text), 0);
    EXPECT_NE(text.find("warning: "), std::string::npos) << text;
    EXPECT_TRUE(fs::exists(out));
}

}  // namespace
