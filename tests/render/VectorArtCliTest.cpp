// Face art as the user delivers it, through boxora-render on real OSMesa
// frames: SVG and PDF fronts show their colour, fine vector stripes stay
// distinct in a large render (the art is drawn at the picture's size, not
// the page's), hostile drawings fail with the image message, and
// --fit-images gives the box the proportions of its images.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "image/ImageCodec.h"
#include "platform/ProfileFile.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// A one-page PDF of the given size whose page is filled with one colour
// (r, g, b in 0..1), with a correct cross-reference table.
std::string SolidPdf(double w, double h, const char* rgb) {
    const std::string content = std::string(rgb) + " rg 0 0 " + std::to_string(w) + " " + std::to_string(h) + " re f\n";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(w) + " " + std::to_string(h) +
            "] /Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
    };
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 5\n0000000000 65535 f \n";
    for (std::size_t at : offsets) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", at);
        pdf += line;
    }
    pdf += "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

struct Frame {
    int width = 0, height = 0;
    std::vector<uint8_t> bgr;                // bottom row first
    const uint8_t* At(int x, int y) const {  // y from the top
        return &bgr[3 * (static_cast<std::size_t>(height - 1 - y) * width + x)];
    }
    double Grey(int x, int y) const {
        const uint8_t* p = At(x, y);
        return (p[0] + p[1] + p[2]) / (3.0 * 255.0);
    }
};

class VectorArtCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(Exe())) GTEST_SKIP() << "boxora-render not built";
        if (!fs::exists(testsupport::AppDir() / "data" / "Objects" / "Box.3ds")) GTEST_SKIP() << "no model catalogue";
    }
    static fs::path Exe() { return testsupport::AppDir() / "boxora-render"; }

    // The catalogue box seen straight from the front, without shadow or
    // reflection, on white; front (and side) images as given, the others the
    // model's own.
    std::string FrontOnScene(const std::string& name, const std::string& front, const std::string& left = "") {
        const fs::path example = testsupport::DataDir().parent_path().parent_path() / "examples" / "single-box.scn";
        boxora::ProfileDocument doc = boxora::ProfileDocument::Load(example.string());
        doc.SetString("OBJECT_0", "Image_Front", front);
        if (!left.empty()) {
            doc.SetString("OBJECT_0", "Image_Left", left);
            doc.SetString("OBJECT_0", "Image_Right", left);
        }
        for (const char* key : {"Camera_Horizontal_Rotation", "Camera_Vertical_Rotation", "Camera_Target_Horizontal",
                                "Camera_Perspective"})
            doc.SetString("CAMERA", key, "0");
        doc.SetString("CAMERA", "Camera_Target_Vertical", "70");
        doc.SetString("REFLECTION", "Reflection_Opacity", "0");
        doc.SetString("LIGHT_SHADOW", "Shadow_Intensity", "0");
        const std::string path = dir.File(name);
        EXPECT_TRUE(doc.Save(path));
        return path;
    }

    // Runs the program; returns its exit status, standard output in out.
    int Run(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
        const std::string outFile = dir.File("stdout.txt"), errFile = dir.File("stderr.txt");
        const int status =
            std::system((Quote(Exe().string()) + " " + args + " >" + Quote(outFile) + " 2>" + Quote(errFile)).c_str());
        if (out) *out = testsupport::ReadFileBytes(outFile);
        if (err) *err = testsupport::ReadFileBytes(errFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    Frame Render(const std::string& scene, int size) {
        Frame frame;
        const std::string png = dir.File("frame.png");
        std::string err;
        EXPECT_EQ(
            Run(Quote(scene) + " -o " + Quote(png) + " --size " + std::to_string(size) + "x" + std::to_string(size),
                nullptr, &err),
            0)
            << err;
        ImageCodec image;
        if (!image.Load(png, FORMAT_PNG)) return frame;
        frame.width = static_cast<int>(image.GetWidth());
        frame.height = static_cast<int>(image.GetHeight());
        frame.bgr = image.Encode2RGB_Ex();
        return frame;
    }

    // Centre of the front face: the box stands in the middle column; its
    // face is the span of non-white pixels there.
    static std::pair<int, int> FaceCentre(const Frame& f) {
        const int x = f.width / 2;
        int top = -1, bottom = -1;
        for (int y = 0; y < f.height; ++y) {
            if (f.Grey(x, y) < 0.97) {
                if (top < 0) top = y;
                bottom = y;
            }
        }
        return {x, (top + bottom) / 2};
    }

    testsupport::TempDir dir;
};

TEST_F(VectorArtCli, SvgAndPdfFrontsShowTheirColourAtTheFaceCentre) {
    const std::string svg = dir.File("front.svg"), pdf = dir.File("front.pdf");
    testsupport::WriteFileBytes(svg,
                                "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                "viewBox=\"0 0 100 140\"><rect width=\"100\" height=\"140\" fill=\"#d01010\"/></svg>");
    testsupport::WriteFileBytes(pdf, SolidPdf(100, 140, "0.1 0.2 0.8"));
    for (const auto& [file, want] :
         {std::pair{svg, std::array<int, 3>{208, 16, 16}}, std::pair{pdf, std::array<int, 3>{26, 51, 204}}}) {
        const Frame f = Render(FrontOnScene("front.scn", file), 300);
        ASSERT_GT(f.width, 0);
        const auto [x, y] = FaceCentre(f);
        const uint8_t* p = f.At(x, y);
        // The front faces the camera and the lights leave its colour as it is.
        EXPECT_NEAR(p[2], want[0], 12) << file;
        EXPECT_NEAR(p[1], want[1], 12) << file;
        EXPECT_NEAR(p[0], want[2], 12) << file;
    }
}

// 160 black and white stripe pairs on a page 100 units wide: drawn at the
// page's own size they would blur into grey; drawn for a 3000-pixel picture
// they stay stripes.
TEST_F(VectorArtCli, FineVectorStripesStayDistinctInALargeRender) {
    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"140\" viewBox=\"0 0 100 140\">"
        "<rect width=\"100\" height=\"140\" fill=\"#fff\"/>";
    for (int i = 0; i < 160; ++i)
        svg += "<rect x=\"" + std::to_string(i * 0.625) + "\" width=\"0.3125\" height=\"140\" fill=\"#000\"/>";
    svg += "</svg>";
    const std::string path = dir.File("stripes.svg");
    testsupport::WriteFileBytes(path, svg);
    const Frame f = Render(FrontOnScene("stripes.scn", path), 3000);
    ASSERT_EQ(f.width, 3000);
    const auto [cx, cy] = FaceCentre(f);
    double sum = 0, sumSq = 0;
    int n = 0;
    for (int y = cy - 100; y < cy + 100; ++y) {
        for (int x = cx - 100; x < cx + 100; ++x) {
            const double g = f.Grey(x, y);
            sum += g;
            sumSq += g * g;
            ++n;
        }
    }
    const double mean = sum / n;
    EXPECT_GT(std::sqrt(sumSq / n - mean * mean), 0.15);
}

// The decoding helper is a process start per drawing: boxora-render draws
// each SVG face once per picture, at the picture's size, and never for a
// preview nobody sees. A stand-in helper beside a copy of the program's
// files logs each start and hands over to the real one.
TEST_F(VectorArtCli, EachSvgFaceStartsTheHelperOncePerPicture) {
    const fs::path home = dir.Path() / "home";
    fs::create_directories(home);
    for (const char* shared : {"data", "languages", "help"})
        if (fs::exists(testsupport::AppDir() / shared))
            fs::create_directory_symlink(testsupport::AppDir() / shared, home / shared);
    const std::string log = dir.File("starts.log");
    testsupport::WriteFileBytes((home / "boxora-decode").string(),
                                "#!/bin/sh\necho \"$@\" >> " + Quote(log) + "\nexec " +
                                    Quote((testsupport::AppDir() / "boxora-decode").string()) + " \"$@\"\n");
    fs::permissions(home / "boxora-decode", fs::perms::owner_all);
    const auto starts = [&] {
        const std::string text = testsupport::ReadFileBytes(log);
        return std::count(text.begin(), text.end(), '\n');
    };
    const auto svg = [&](const std::string& name, const char* colour) {
        testsupport::WriteFileBytes(dir.File(name),
                                    std::string("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" "
                                                "height=\"60\"><rect width=\"40\" height=\"60\" fill=\"") +
                                        colour + "\"/></svg>");
        return dir.File(name);
    };
    const std::string scene = FrontOnScene("svg.scn", svg("red.svg", "#ff0000"));
    const std::string oldHome = std::getenv("BOXORA_HOME") ? std::getenv("BOXORA_HOME") : "";
    setenv("BOXORA_HOME", home.c_str(), 1);
    struct RestoreHome {
        const std::string& old;
        ~RestoreHome() { old.empty() ? unsetenv("BOXORA_HOME") : setenv("BOXORA_HOME", old.c_str(), 1); }
    } restore{oldHome};
    std::string err;

    ASSERT_EQ(Run(Quote(scene) + " -o " + Quote(dir.File("one.png")) + " --size 96x96", nullptr, &err), 0) << err;
    EXPECT_EQ(starts(), 1) << testsupport::ReadFileBytes(log);

    // Two rows with a drawing each: two starts, whatever each row changes.
    testsupport::WriteFileBytes(dir.File("rows.csv"), "output,Front\na.png," + svg("green.svg", "#00ff00") +
                                                          "\nb.png," + svg("blue.svg", "#0000ff") + "\n");
    ASSERT_EQ(Run(Quote(scene) + " --variants " + Quote(dir.File("rows.csv")) + " -o " + Quote(dir.File("rows")) +
                      " --size 96x96",
                  nullptr, &err),
              0)
        << err;
    EXPECT_EQ(starts(), 3) << testsupport::ReadFileBytes(log);
    const Frame b = [&] {
        Frame f;
        ImageCodec image;
        EXPECT_TRUE(image.Load(dir.File("rows/b.png"), FORMAT_PNG));
        f.width = static_cast<int>(image.GetWidth());
        f.height = static_cast<int>(image.GetHeight());
        f.bgr = image.Encode2RGB_Ex();
        return f;
    }();
    ASSERT_EQ(b.width, 96);
    const auto [cx, cy] = FaceCentre(b);
    EXPECT_GT(b.At(cx, cy)[0], 150);  // blue, the second row's drawing
    EXPECT_LT(b.At(cx, cy)[2], 60);
}

TEST_F(VectorArtCli, HostileDrawingsGiveTheImageMessageNotACrash) {
    const std::string svg = dir.File("broken.svg"), pdf = dir.File("broken.pdf");
    testsupport::WriteFileBytes(svg, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1e30\" height=\"-5\"><rect");
    std::string truncated = SolidPdf(100, 140, "1 0 0");
    truncated.resize(40);
    testsupport::WriteFileBytes(pdf, truncated);
    for (const std::string& file : {svg, pdf}) {
        std::string err;
        EXPECT_EQ(Run(Quote(FrontOnScene("bad.scn", file)) + " -o " + Quote(dir.File("bad.png")) + " --size 64x64",
                      nullptr, &err),
                  1);
        EXPECT_NE(err.find("could not be read"), std::string::npos) << err;
        EXPECT_NE(err.find(fs::path(file).filename().string()), std::string::npos) << err;
        EXPECT_EQ(err.find("not found"), std::string::npos) << err;
    }
}

TEST_F(VectorArtCli, DumpWithFitImagesGivesTheBoxItsImagesProportions) {
    ImageCodec picture;
    std::vector<uint8_t> bgr(800 * 800 * 3, 200);
    ASSERT_TRUE(picture.CreateFromArray(bgr.data(), 800, 400, 24, 800 * 3, false));
    ASSERT_TRUE(picture.Save(dir.File("front.png"), FORMAT_PNG));
    ASSERT_TRUE(picture.CreateFromArray(bgr.data(), 200, 800, 24, 200 * 3, false));
    ASSERT_TRUE(picture.Save(dir.File("side.png"), FORMAT_PNG));
    const std::string scene = FrontOnScene("fit.scn", dir.File("front.png"), dir.File("side.png"));

    std::string out, err;
    ASSERT_EQ(Run("--dump " + Quote(scene), &out), 0);
    const nlohmann::json before = nlohmann::json::parse(out)["objects"][0];
    ASSERT_EQ(Run("--dump " + Quote(scene) + " --fit-images", &out, &err), 0) << err;
    const nlohmann::json o = nlohmann::json::parse(out)["objects"][0];
    const double w = o["size"][0], h = o["size"][1], d = o["size"][2];
    EXPECT_NEAR(w / h, 2.0, 1e-4);
    EXPECT_NEAR(d / h, 0.25, 1e-4);
    EXPECT_EQ(o["scale"][1], before["scale"][1]);
    EXPECT_NEAR(h, double(o["height"]) * double(o["scale"][1]), 1e-3);
    // The catalogue declares the box's real size; it scales with the box.
    ASSERT_TRUE(o.contains("realSize"));
    EXPECT_NEAR(double(o["realSize"][0]) / double(before["realSize"][0]), double(o["scale"][0]), 1e-4);
}

}  // namespace
