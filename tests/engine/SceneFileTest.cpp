// Scene files: the writer's format, the reader's defaults and rules, and
// the save/load round trip through the engine.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "EngineTestSupport.h"
#include "engine/SceneFile.h"
#include "lang/Messages.h"
#include "platform/TextUtil.h"
#include "snapshot/SceneSnapshot.h"

namespace {

std::string Utf16File(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : boxora::Utf8ToUtf16(text)) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::string Utf8Of(const std::string& utf16File) {
    std::u16string wide;
    for (std::size_t i = 2; i + 1 < utf16File.size(); i += 2)
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(utf16File[i]) |
                                             (static_cast<unsigned char>(utf16File[i + 1]) << 8)));
    return boxora::Utf16ToUtf8(wide);
}

TEST(SceneFileParse, ReaderRulesAndDefaults) {
    const SceneFileData d = ParseSceneFile(
        Utf16File("[LIGHT_SHADOW]\r\nLight_Source_Enabled_1=2\r\nLight_Source_Enabled_2=1\r\nDirection=45.500000\r\n"
                  "Length=68.750000\r\n"
                  "[CAMERA]\r\nCamera_Zoom=250\r\nCamera_Vertical_Rotation=-5\r\nCamera_Perspective=abc\r\n"
                  "[REFLECTION]\r\nBackground_Transparent=2\r\nBackground_Color=16777215\r\n"
                  "[My Box]\r\nObject_Name=Box\r\n[SCENE]\r\nVersion=1.8\r\n"));
    using boxora::Setting;
    auto value = [&d](Setting s) { return d.settings[static_cast<int>(s)].value_or(-999); };
    EXPECT_EQ(value(Setting::Light1Enabled), 0);
    EXPECT_EQ(value(Setting::Light2Enabled), 1);
    EXPECT_EQ(value(Setting::ShadowDirection), 45);
    EXPECT_EQ(value(Setting::ShadowLength), 68);
    // Absent keys take the reader's defaults, not the reset values.
    EXPECT_EQ(value(Setting::Light2Horizontal), 130);
    EXPECT_EQ(value(Setting::Light2Vertical), 20);
    EXPECT_EQ(value(Setting::GlobalLightBrightness), 20);
    EXPECT_EQ(value(Setting::Light1Horizontal), 0);
    EXPECT_EQ(value(Setting::ShadowBlur), 20);
    EXPECT_EQ(value(Setting::ShadowIntensity), 0);
    EXPECT_EQ(value(Setting::CameraZoom), 100);
    EXPECT_EQ(value(Setting::CameraVertical), -5);
    EXPECT_EQ(value(Setting::CameraPerspective), 0);
    EXPECT_EQ(value(Setting::BackgroundTransparent), 1);
    EXPECT_EQ(value(Setting::BackgroundColor), 0xFFFFFF);
    // A file without picture keys has today's picture.
    EXPECT_EQ(value(Setting::PictureWidth), 300);
    EXPECT_EQ(value(Setting::PictureFormat), 4);
    // The zoom was taken into its range, with a warning naming key and line.
    ASSERT_EQ(d.problems.messages.size(), 1u);
    EXPECT_FALSE(d.problems.failed);
    EXPECT_NE(boxora::MessageText(d.problems.messages[0]).find("line 7: Camera_Zoom=250"), std::string::npos)
        << boxora::MessageText(d.problems.messages[0]);
    ASSERT_EQ(d.objects.size(), 1u);
    EXPECT_EQ(d.objects[0].section, "My Box");
    EXPECT_EQ(d.objects[0].objectName, "Box");
    EXPECT_FALSE(d.objects[0].transform[0]);
    EXPECT_EQ(d.sectionCount, 5);
}

TEST(SceneFileParse, EverySectionIsReadUpToTheObjectLimit) {
    std::string text;
    for (int i = 0; i < 400; ++i) text += "[OBJECT_" + std::to_string(i) + "]\r\nObject_Name=Box\r\n";
    text +=
        "[CAMERA]\r\nCamera_Zoom=33\r\n[LIGHT_SHADOW]\r\nShadow_Blur=7\r\n[REFLECTION]\r\n"
        "Background_Color=255\r\n[SCENE]\r\n";
    SceneFileData d = ParseSceneFile(Utf16File(text));
    EXPECT_EQ(d.objects.size(), 400u);
    EXPECT_EQ(d.objects.back().section, "OBJECT_399");
    using boxora::Setting;
    EXPECT_EQ(d.settings[static_cast<int>(Setting::CameraZoom)], 33.0);
    EXPECT_EQ(d.settings[static_cast<int>(Setting::ShadowBlur)], 7.0);
    EXPECT_EQ(d.settings[static_cast<int>(Setting::BackgroundColor)], 255.0);
    EXPECT_EQ(d.objectsLeftOut, 0u);

    // Past the limit the rest is counted, the fixed sections still read.
    text.clear();
    for (int i = 0; i < kMaxObjects + 5; ++i) text += "[O" + std::to_string(i) + "]\r\n";
    text += "[CAMERA]\r\nCamera_Zoom=12\r\n";
    d = ParseSceneFile(Utf16File(text));
    EXPECT_EQ(d.objects.size(), static_cast<std::size_t>(kMaxObjects));
    EXPECT_EQ(d.objectsLeftOut, 5u);
    EXPECT_EQ(d.settings[static_cast<int>(Setting::CameraZoom)], 12.0);
}

TEST(SceneFileParse, SectionsPastTheLimitCostNothingAndACutFileSaysWhere) {
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "[OBJECT_" + std::to_string(i) + "]\r\nObject_Name=Box\r\nImage_Front=front.jpg\r\n";
    text += "[CAMERA]\r\nCamera_Zoom=12\r\n";
    const std::string bytes = Utf16File(text);
    text.clear();
    text.shrink_to_fit();
    const boxora::ProfileDocument doc = boxora::ProfileDocument::Parse(
        bytes, [n = 0](std::string_view name) mutable { return name == "CAMERA" || n++ < kMaxObjects; });
    // Only the kept sections' lines are held.
    EXPECT_EQ(doc.AllSectionNames().size(), static_cast<std::size_t>(kMaxObjects) + 1);
    EXPECT_EQ(doc.SectionsSkipped(), 200000u - kMaxObjects);
    const SceneFileData d = ParseSceneFile(bytes);
    EXPECT_EQ(d.objects.size(), static_cast<std::size_t>(kMaxObjects));
    EXPECT_EQ(d.objectsLeftOut, 200000u - kMaxObjects);
    EXPECT_EQ(d.settings[static_cast<int>(boxora::Setting::CameraZoom)], 12.0);
    EXPECT_EQ(d.cutAfterLine, 0u);

    // Past the line limit the camera is lost, and the data says so.
    std::string longText = "[OBJECT_0]\r\nObject_Name=Box\r\n";
    for (std::size_t i = 0; i < boxora::ProfileDocument::kMaxLines; ++i) longText += ";\r\n";
    longText += "[CAMERA]\r\nCamera_Zoom=12\r\n";
    testsupport::TempDir dir;
    testsupport::WriteFileBytes(dir.File("long.scn"), Utf16File(longText));
    const SceneFileData cut = ReadSceneFile(dir.File("long.scn"));
    EXPECT_EQ(cut.cutAfterLine, boxora::ProfileDocument::kMaxLines);
    EXPECT_EQ(cut.objects.size(), 1u);
    EXPECT_FALSE(cut.settings[static_cast<int>(boxora::Setting::CameraZoom)]);
}

TEST(SceneFileParse, RepeatedSectionsOfManyKeysReadTheFirstOne) {
    // Every repeat of a name reads the first section of that name; with a
    // key index this takes one pass over the section, not one per lookup.
    std::string text = "[OBJECT_0]\r\n";
    for (int i = 0; i < 50000; ++i) text += "k" + std::to_string(i) + "=1\r\n";
    text += "Object_Name=Box\r\nscale_x=2\r\n";
    for (int i = 0; i < 200; ++i) text += "[OBJECT_0]\r\nObject_Name=Other\r\n";
    const SceneFileData d = ParseSceneFile(Utf16File(text));
    ASSERT_EQ(d.objects.size(), 201u);
    EXPECT_EQ(d.objects[200].objectName, "Box");
    ASSERT_TRUE(d.objects[200].transform[6]);
    EXPECT_FLOAT_EQ(*d.objects[200].transform[6], 2.0f);
}

TEST(SceneFileParse, NumbersThatAreNotFiniteAreRefusedWithKeyAndLine) {
    const SceneFileData d = ParseSceneFile(
        Utf16File("[CAMERA]\r\nCamera_Zoom=nan\r\nCamera_Vertical_Rotation=inf\r\nCamera_Perspective=1e999\r\n"
                  "Camera_Horizontal_Rotation=12\r\n[OBJECT_0]\r\nObject_Name=Box\r\nScale_Y=-NaN\r\nScale_X=2\r\n"));
    EXPECT_TRUE(d.problems.failed);
    std::string all;
    for (const boxora::UserMessage& m : d.problems.messages) all += boxora::MessageText(m) + "\n";
    for (const char* expected : {"line 2: Camera_Zoom=nan", "line 3: Camera_Vertical_Rotation=inf",
                                 "line 4: Camera_Perspective=1e999", "line 8: Scale_Y=-NaN"})
        EXPECT_NE(all.find(expected), std::string::npos) << expected << " in\n" << all;
    // Refused values are not used; the others are.
    EXPECT_FALSE(d.settings[static_cast<int>(boxora::Setting::CameraZoom)]);
    EXPECT_EQ(d.settings[static_cast<int>(boxora::Setting::CameraHorizontal)], 12.0);
    ASSERT_EQ(d.objects.size(), 1u);
    EXPECT_FALSE(d.objects[0].transform[7]);
    EXPECT_EQ(d.objects[0].transform[6], 2.0f);
}

TEST(SceneFileParse, PictureKeysAreWrittenOnlyWhenTheyDifferFromTodaysDefaults) {
    SceneParams scene;
    const boxora::ProfileDocument plain = BuildSceneDocument(scene, SceneSnapshot{});
    EXPECT_FALSE(plain.HasKey("SCENE", "Picture_Width"));
    scene.pictureWidth = 1024;
    const boxora::ProfileDocument sized = BuildSceneDocument(scene, SceneSnapshot{});
    EXPECT_EQ(sized.GetString("SCENE", "Picture_Width", ""), "1024");
    EXPECT_FALSE(sized.HasKey("SCENE", "Picture_Height"));
    // After the version, which older programs read as the only key there.
    EXPECT_LT(Utf8Of(sized.Serialize()).find("Version=1.8"), Utf8Of(sized.Serialize()).find("Picture_Width"));
}

TEST(SceneFileParse, ObjectNamesMayNotLeaveTheObjectsFolder) {
    EXPECT_TRUE(ModelPathForObjectName("DVD Box"));
    EXPECT_FALSE(ModelPathForObjectName("../../etc/passwd"));
    EXPECT_FALSE(ModelPathForObjectName("sub\\Box"));
    EXPECT_FALSE(ModelPathForObjectName(".."));
    EXPECT_FALSE(ModelPathForObjectName(""));
}

TEST(SceneFileParse, EveryWholeShadowLengthReadsAndSavesAsItself) {
    for (int length = 0; length <= 100; ++length) {
        SceneParams set;
        set.SetShadowLengthPlain(static_cast<float>(length));  // as the Shadows tab sets it
        const boxora::ProfileDocument doc = BuildSceneDocument(set, SceneSnapshot{});
        EXPECT_EQ(doc.GetString("LIGHT_SHADOW", "Length", ""), std::to_string(length) + ".000000");
        const SceneFileData data = ParseSceneFile(doc.Serialize());
        const std::optional<double> read = data.settings[static_cast<int>(boxora::Setting::ShadowLength)];
        ASSERT_TRUE(read);
        SceneParams loaded;
        loaded.SetShadowLengthPlain(static_cast<float>(*read));
        EXPECT_EQ(loaded.ShadowLength(), static_cast<float>(length)) << length;
    }
}

class SceneFileTest : public EngineTestBase {
protected:
    void SetUp() override {
        EngineTestBase::SetUp();
        engine.SetReporter(&notes);
    }
    void LoadNow(const std::string& path) {
        std::lock_guard lock(engine.Lock());
        engine.LoadSceneNow({path, std::nullopt});
    }
    CEngine engine;
};

TEST_F(SceneFileTest, WriterFormatAndOrder) {
    AddCatalogueModel("Box", fixtures::BoxModel());
    {
        std::lock_guard lock(engine.Lock());
        engine.Models().LoadModelFile(ObjectPath("Box"), true);
    }
    engine.SetCameraHorizontalRotation(36);
    const std::string path = dir.File("a.scn");
    ASSERT_TRUE(engine.SaveScene(path));
    const std::string bytes = testsupport::ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    const std::string text = Utf8Of(bytes);
    const char* order[] = {"[OBJECT_0]",
                           "Object_Name=Box",
                           "User_Defined_Name=Box",
                           "Object_Type=1",
                           "Image_Front=",
                           "Image_Bottom=",
                           "Translate_X=0.000000",
                           "Translate_Y=5.000000",
                           "Scale_Z=1.000000",
                           "[LIGHT_SHADOW]",
                           "Global_Light_Brightness=20.000000",
                           "Light_Source_Enabled_1=1",
                           "Light_Horizontal_Rotation=70.000000",
                           "Light_Distance_2=50.000000",
                           "Direction=0.000000",
                           "Length=68.750000",
                           "Shadow_Intensity=20",
                           "Shadow_Blur=20",
                           "[CAMERA]",
                           "Camera_Horizontal_Rotation=36.000000",
                           "Camera_Target_Vertical=40.000000",
                           "Camera_Perspective=1.000000",
                           "[REFLECTION]",
                           "Reflection_Length=20.000000",
                           "Background_Transparent=0",
                           "Background_Color=16777215",
                           "[SCENE]",
                           "Version=1.8"};
    std::size_t at = 0;
    for (const char* item : order) {
        const std::size_t found = text.find(item, at);
        ASSERT_NE(found, std::string::npos) << item;
        at = found;
    }
}

TEST_F(SceneFileTest, SavingOverALargerSceneLeavesNoStaleSections) {
    const std::string path = dir.File("s.scn");
    testsupport::WriteFileBytes(path, Utf16File("[OBJECT_0]\r\nObject_Name=Box\r\n[OBJECT_1]\r\nObject_Name=Box\r\n"
                                                "[OBJECT_2]\r\nObject_Name=Box\r\n"));
    ASSERT_TRUE(engine.SaveScene(path));
    const SceneFileData d = ParseSceneFile(testsupport::ReadFileBytes(path));
    EXPECT_TRUE(d.objects.empty());
    EXPECT_EQ(d.sectionCount, 4);
}

TEST_F(SceneFileTest, FailedSaveIsReportedAndLeavesNoFileBehind) {
    const boxora::Outcome failed = engine.WriteScene(dir.File("missing-folder/x.scn"));
    EXPECT_TRUE(failed.failed);
    ASSERT_EQ(failed.messages.size(), 1u);
    EXPECT_EQ(failed.messages[0].key, "errsaveprj");
    EXPECT_NE(boxora::MessageText(failed.messages[0]).find(dir.File("missing-folder/x.scn")), std::string::npos);
    EXPECT_TRUE(notes.Messages().empty());  // the caller decides whether to show it
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing-folder")));
    // A folder in the way of the file: the save fails, the folder stays.
    std::filesystem::create_directories(dir.File("taken.scn"));
    EXPECT_FALSE(engine.SaveScene(dir.File("taken.scn")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.scn")));
}

TEST_F(SceneFileTest, LoadAppliesValuesModelsImagesAndTransforms) {
    AddCatalogueModel("Box", fixtures::BoxModel());
    const std::string front = AddTexture("front.png");
    const std::string path = dir.File("l.scn");
    testsupport::WriteFileBytes(
        path, Utf16File("[Anything]\r\nObject_Name=Box\r\nUser_Defined_Name=My package\r\nObject_Type=2\r\n"
                        "Image_Front=front.png\r\nImage_Back=*\r\nTranslate_X=12.500000\r\nRotate_Y=-30.000000\r\n"
                        "Scale_Z=2.000000\r\n"
                        "[OBJECT_1]\r\nObject_Name=../../Box\r\n"
                        "[LIGHT_SHADOW]\r\nLength=68.750000\r\nDirection=45.500000\r\nShadow_Intensity=33\r\n"
                        "[CAMERA]\r\nCamera_Zoom=250\r\nCamera_Vertical_Rotation=-5\r\n"
                        "[REFLECTION]\r\nBackground_Color=255\r\nBackground_Transparent=2\r\n"));
    LoadNow(path);
    ASSERT_EQ(engine.GetObjectList().size(), 1u);
    const C3DObject& o = *engine.GetObject(0);
    EXPECT_EQ(o.userName, "My package");
    EXPECT_EQ(o.type, 2);
    EXPECT_EQ(o.coverImages[0], front);
    EXPECT_EQ(o.coverImages[1], "*");
    EXPECT_FLOAT_EQ(o.translate[0], 12.5f);
    EXPECT_FLOAT_EQ(o.translate[1], 5.0f);  // absent: the lift stays
    EXPECT_FLOAT_EQ(o.rotate[1], -30.0f);
    EXPECT_FLOAT_EQ(o.scale[2], 2.0f);
    EXPECT_FLOAT_EQ(o.scale[0], 1.0f);
    const SceneParams& p = engine.Params();
    EXPECT_NEAR(p.shadowElevation, 30.6f, 1e-4);
    EXPECT_FLOAT_EQ(p.shadowDirection, 45.0f);
    EXPECT_EQ(p.Shadow_Intensity, 33);
    EXPECT_FLOAT_EQ(p.light2HorizontalRotation, 130.0f);
    EXPECT_FLOAT_EQ(p.cameraZoom, 100.0f);
    EXPECT_FLOAT_EQ(p.cameraVerticalRotation, -5.0f);
    EXPECT_EQ(p.backgroundColor, 255u);
    EXPECT_TRUE(p.backgroundTransparent);
    EXPECT_EQ(engine.Sides().Sides().size(), 7u);
    // The escaping object name was refused with a message; the "*" image
    // of Back was reported as not found.
    bool refused = false;
    for (const auto& m : notes.Messages()) refused = refused || m.text.find("../../Box") != std::string::npos;
    EXPECT_TRUE(refused);
    const auto n = notes.Notifications();
    ASSERT_FALSE(n.empty());
    EXPECT_EQ(n.front().message, boxora::WM_ENGINE_BEGIN);
    EXPECT_EQ(n.front().wParam, boxora::ENGINE_OP_LOAD_SCENE);
    EXPECT_EQ(n.back().message, boxora::WM_ENGINE_SCENE_CHANGED);
}

TEST_F(SceneFileTest, FacesTheSectionDoesNotNameKeepTheModelsImages) {
    const std::string top = AddTexture("top.png");
    AddCatalogueModel("Box", fixtures::BoxModel("Box", 10, 0, {"", "", "", "", "top.png", ""}));
    const std::string path = dir.File("partial.scn");
    testsupport::WriteFileBytes(path, Utf16File("[OBJECT_0]\r\nObject_Name=Box\r\nImage_Front=\r\n"));
    LoadNow(path);
    ASSERT_EQ(engine.GetObjectList().size(), 1u);
    const C3DObject& o = *engine.GetObject(0);
    EXPECT_EQ(o.coverImages[4], top);
    EXPECT_EQ(o.coverImages[0], "");
    EXPECT_EQ(o.faces[8].textured, 1);  // faces 8 and 9 are "Top"
    EXPECT_EQ(o.faces[0].textured, 0);
    EXPECT_EQ(engine.Textures().AllTextures().size(), 1u);
}

TEST_F(SceneFileTest, ImagesNotFoundKeepTheirPathAndAreLookedForBesideTheScene) {
    AddCatalogueModel("Box", fixtures::BoxModel());
    // A project moved with its art: the absolute path is stale, the file is
    // beside the scene now.
    std::filesystem::create_directories(dir.File("moved"));
    testsupport::WriteFileBytes(dir.File("moved/front.png"), testsupport::ReadFileBytes(AddTexture("front.png")));
    const std::string path = dir.File("moved/p.scn");
    testsupport::WriteFileBytes(path, Utf16File("[OBJECT_0]\r\nObject_Name=Box\r\n"
                                                "Image_Front=/old/disk/art/front.png\r\n"
                                                "Image_Left=/old/disk/art/lost.png\r\n"));
    notes.Clear();
    LoadNow(path);
    ASSERT_EQ(engine.GetObjectList().size(), 1u);
    const C3DObject& o = *engine.GetObject(0);
    EXPECT_EQ(o.coverImages[0], dir.File("moved/front.png"));
    // Not found anywhere: reported, shown without picture, but the reference
    // is kept and saved as it was, not as "*".
    EXPECT_EQ(o.coverImages[2], "/old/disk/art/lost.png");
    const auto& materials = engine.Models().Model().materials;
    for (const MeshFace& f : o.faces)
        if (f.material < materials.size() && materials[f.material].coverFace == 2) EXPECT_EQ(f.textured, 0);
    ASSERT_EQ(notes.Messages().size(), 1u);
    EXPECT_NE(notes.Messages()[0].text.find("/old/disk/art/lost.png"), std::string::npos);
    // The load's outcome holds what was shown, once.
    const boxora::Outcome load = engine.TakeSceneLoadOutcome();
    ASSERT_EQ(load.messages.size(), 1u);
    EXPECT_EQ(load.messages[0].key, "textnotfound");
    EXPECT_TRUE(engine.TakeSceneLoadOutcome().messages.empty());
    ASSERT_TRUE(engine.SaveScene(dir.File("again.scn")));
    const SceneFileData saved = ParseSceneFile(testsupport::ReadFileBytes(dir.File("again.scn")));
    ASSERT_EQ(saved.objects.size(), 1u);
    EXPECT_EQ(saved.objects[0].images[2].value_or(""), "/old/disk/art/lost.png");
    EXPECT_EQ(saved.objects[0].images[0].value_or(""), "moved/front.png");
}

TEST_F(SceneFileTest, ProjectsNameTheirFilesRelativelySoTheyOpenWhereverTheyAreMoved) {
    namespace fs = std::filesystem;
    AddCatalogueModel("Box", fixtures::BoxModel());
    const std::string wood = AddTexture("wood.jpg");
    for (const char* file : {"proj/art/front.png", "shared/logo.png", "far/away/deep/down/here/x.png"}) {
        fs::create_directories(fs::path(dir.File(file)).parent_path());
        testsupport::WriteFileBytes(dir.File(file), "image");
    }
    testsupport::WriteFileBytes(
        dir.File("proj/p.scn"),
        Utf16File("[OBJECT_0]\r\nObject_Name=Box\r\nImage_Front=" + dir.File("proj/art/front.png") +
                  "\r\nImage_Back=" + dir.File("shared/logo.png") +
                  "\r\nImage_Left=" + dir.File("far/away/deep/down/here/x.png") + "\r\nImage_Top=" + wood + "\r\n"));
    // An older file with absolute paths opens, and is saved with names that
    // travel: below the scene, two steps up at most, the program's own.
    LoadNow(dir.File("proj/p.scn"));
    ASSERT_TRUE(engine.SaveScene(dir.File("proj/p.scn")));
    const SceneFileData saved = ParseSceneFile(testsupport::ReadFileBytes(dir.File("proj/p.scn")));
    ASSERT_EQ(saved.objects.size(), 1u);
    EXPECT_EQ(saved.objects[0].images[0].value_or(""), "art/front.png");
    EXPECT_EQ(saved.objects[0].images[1].value_or(""), "../shared/logo.png");
    EXPECT_EQ(saved.objects[0].images[2].value_or(""), "../far/away/deep/down/here/x.png");
    EXPECT_EQ(saved.objects[0].images[4].value_or(""), "wood.jpg");

    // Moved together to another folder: opens without a word.
    fs::create_directories(dir.File("elsewhere"));
    fs::rename(dir.File("proj"), dir.File("elsewhere/proj"));
    fs::rename(dir.File("shared"), dir.File("elsewhere/shared"));
    fs::rename(dir.File("far"), dir.File("elsewhere/far"));
    notes.Clear();
    LoadNow(dir.File("elsewhere/proj/p.scn"));
    EXPECT_TRUE(notes.Messages().empty());
    ASSERT_EQ(engine.GetObjectList().size(), 1u);
    EXPECT_EQ(engine.GetObject(0)->coverImages[0], dir.File("elsewhere/proj/art/front.png"));
    EXPECT_EQ(engine.GetObject(0)->coverImages[4], wood);

    // Files not where the scene says are looked for in its subfolders;
    // those found nowhere are named together in one message.
    fs::create_directories(dir.File("elsewhere/proj/renamed/deeper"));
    fs::rename(dir.File("elsewhere/proj/art/front.png"), dir.File("elsewhere/proj/renamed/deeper/front.png"));
    fs::remove_all(dir.File("elsewhere/shared"));
    fs::remove_all(dir.File("elsewhere/far"));
    notes.Clear();
    LoadNow(dir.File("elsewhere/proj/p.scn"));
    EXPECT_EQ(engine.GetObject(0)->coverImages[0], dir.File("elsewhere/proj/renamed/deeper/front.png"));
    ASSERT_EQ(notes.Messages().size(), 1u);
    EXPECT_NE(notes.Messages()[0].text.find("\n../shared/logo.png"), std::string::npos) << notes.Messages()[0].text;
    EXPECT_NE(notes.Messages()[0].text.find("\n../far/away/deep/down/here/x.png"), std::string::npos);
    EXPECT_EQ(engine.TakeSceneLoadOutcome().ErrorCount(), 2u);
}

TEST_F(SceneFileTest, MissingFileDeletesObjectsAndKeepsParameters) {
    AddCatalogueModel("Box", fixtures::BoxModel());
    {
        std::lock_guard lock(engine.Lock());
        engine.Models().LoadModelFile(ObjectPath("Box"), true);
    }
    engine.SetCameraZoom(42);
    LoadNow(dir.File("none.scn"));
    EXPECT_TRUE(engine.GetObjectList().empty());
    EXPECT_FLOAT_EQ(engine.Params().cameraZoom, 42.0f);
}

TEST_F(SceneFileTest, RoundTripThroughTheEngineReproducesEveryParameter) {
    AddCatalogueModel("Box", fixtures::BoxModel());
    const std::string back = AddTexture("back.jpg");
    CountingRenderer* renderer = new CountingRenderer;
    engine.SetFrameRenderer(std::unique_ptr<IFrameRenderer>(renderer));
    ASSERT_TRUE(engine.Initialize(nullptr));
    engine.Redraw();
    engine.AddObject(ObjectPath("Box"));
    engine.AddObject(ObjectPath("Box"));
    engine.Redraw();
    ASSERT_TRUE(engine.WaitForIdle(std::chrono::seconds(20)));
    ASSERT_EQ(engine.GetObjectList().size(), 2u);

    engine.SetObjectImage(1, 1, back);
    engine.SetObjectTranslateZ(1, -44);
    engine.SetObjectRotateX(0, 15);
    engine.SetObjectScaleX(1, 0.75f);
    // Every setting of the table away from its reset value, whole numbers
    // where the file keeps whole numbers.
    for (const boxora::SettingRow& row : boxora::SettingTable()) {
        const double value = row.form == boxora::FileForm::ColourRef ? 0x123456
                             : row.maximum == 1                      ? 1 - row.reset
                                                : std::round(row.minimum * 0.3 + row.maximum * 0.6) + 0.0;
        engine.SetSetting(row.id, value == row.reset ? value + 1 : value);
    }
    ASSERT_TRUE(engine.WaitForIdle(std::chrono::seconds(20)));

    const std::string path = dir.File("round.scn");
    ASSERT_TRUE(engine.SaveScene(path));
    const SceneParams saved = engine.Params();
    engine.Params().Reset();
    engine.DeleteAllObjects();
    ASSERT_TRUE(engine.WaitForIdle(std::chrono::seconds(20)));
    ASSERT_TRUE(engine.GetObjectList().empty());

    engine.LoadScene(path);
    ASSERT_TRUE(engine.WaitForIdle(std::chrono::seconds(20)));
    const SceneParams& p = engine.Params();
    EXPECT_EQ(boxora::CaptureSettings(p), boxora::CaptureSettings(saved));
    EXPECT_FLOAT_EQ(p.light1Position[0], saved.light1Position[0]);
    EXPECT_FLOAT_EQ(p.ShadowLightDir[1], saved.ShadowLightDir[1]);
    // Saved again, the file is the same to the byte.
    const std::string again = dir.File("again.scn");
    ASSERT_TRUE(engine.SaveScene(again));
    EXPECT_EQ(testsupport::ReadFileBytes(again), testsupport::ReadFileBytes(path));

    ASSERT_EQ(engine.GetObjectList().size(), 2u);
    const C3DObject& o0 = *engine.GetObject(0);
    const C3DObject& o1 = *engine.GetObject(1);
    EXPECT_FLOAT_EQ(o0.rotate[0], 15);
    EXPECT_FLOAT_EQ(o1.translate[2], -44);
    EXPECT_FLOAT_EQ(o1.translate[1], 5);
    EXPECT_FLOAT_EQ(o1.scale[0], 0.75f);
    EXPECT_EQ(o1.coverImages[1], back);
    EXPECT_EQ(o1.type, 1);
    // Loaded on the scene thread: the image has a texture name.
    EXPECT_NE(engine.Textures().Names()[7 + 1], 0u);
    engine.Release();
}

}  // namespace
