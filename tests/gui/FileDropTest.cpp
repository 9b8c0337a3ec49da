// Files dropped on the preview and on the main window: an image becomes the
// Front image of the selected object (the last object when none is
// selected), a model is added, a project is opened through the main frame's
// open-by-path; other files are refused.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "tests/gui/FakeEngine.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/DialogMain.h"
#include "ui/DialogObjects.h"
#include "ui/DialogOpenGL.h"
#include "ui/DialogTextures.h"
#include "ui/FileDrop.h"
#include "ui/MainFrame.h"
#include "ui/ObjectIconList.h"
#include "ui/TabCtrlMain.h"
#include "ui/TabCtrlObjects.h"

#include <QLineEdit>

namespace {

class FileDrop : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();
};

struct DropResult {
    bool enterAccepted = false;
    bool dropAccepted = false;
};

// A drag of these files entering target and dropped on it.
DropResult DragAndDrop(QWidget* target, const QStringList& files) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& f : files) urls << QUrl::fromLocalFile(f);
    mime.setUrls(urls);
    const QPoint at = target->rect().center();
    DropResult result;
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    result.enterAccepted = enter.isAccepted();
    if (!result.enterAccepted) return result;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    result.dropAccepted = drop.isAccepted();
    return result;
}

TEST(DroppedFiles, KindsFollowTheExtension) {
    using boxora::DroppedFileKind;
    EXPECT_EQ(boxora::ClassifyDroppedFile("/a/Front Cover.PNG"), DroppedFileKind::Image);
    EXPECT_EQ(boxora::ClassifyDroppedFile("/a/scan.tiff"), DroppedFileKind::Image);
    EXPECT_EQ(boxora::ClassifyDroppedFile("/a/Gift.3DS"), DroppedFileKind::Model);
    EXPECT_EQ(boxora::ClassifyDroppedFile("/a/project.scn"), DroppedFileKind::Scene);
    EXPECT_EQ(boxora::ClassifyDroppedFile("/a/readme.txt"), DroppedFileKind::Other);
    EXPECT_EQ(boxora::ClassifyDroppedFile("/a/png"), DroppedFileKind::Other);
}

TEST_F(FileDrop, ImageOnThePreviewBecomesTheFrontImageOfTheLastObjectWhenNoneIsSelected) {
    engine.AddFakeObject("Book", {"*", "*", "", "", "", ""});
    engine.AddFakeObject("Box", {"*", "*", "", "", "", ""});
    CDialogMain panel(binding);
    panel.resize(1000, 600);
    panel.show();
    guitest::ProcessEvents();
    const DropResult r = DragAndDrop(panel.Preview(), {"/covers/front.jpg"});
    EXPECT_TRUE(r.enterAccepted);
    EXPECT_TRUE(r.dropAccepted);
    const FakeEngine::Call* call = engine.LastCall("SetObjectImage");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->id, 1);
    EXPECT_EQ(call->value, COVER_FRONT);
    EXPECT_EQ(call->text, "/covers/front.jpg");
}

TEST_F(FileDrop, ImageGoesToTheObjectSelectedOnTheObjectsTab) {
    engine.AddFakeObject("Book", {"*", "", "", "", "", ""});
    engine.AddFakeObject("Box", {"*", "", "", "", "", ""});
    CDialogMain panel(binding);
    panel.resize(1000, 600);
    panel.show();
    CTabCtrlMain* tabs = panel.Tabs();
    tabs->setCurrentIndex(CTabCtrlMain::Objects);
    guitest::ProcessEvents();
    tabs->ObjectsPage()->ObjectList()->SelectIndex(0);
    ASSERT_TRUE(DragAndDrop(panel.Preview(), {"/covers/book.png"}).dropAccepted);
    EXPECT_EQ(engine.LastCall("SetObjectImage")->id, 0);
    // The Textures page shows the new image at once.
    EXPECT_EQ(tabs->ObjectsPage()->SubTabs()->TexturesPage()->FaceEdit(COVER_FRONT)->text(), "/covers/book.png");
    EXPECT_EQ(tabs->ObjectsPage()->SelectedObjectId(), 0);
}

TEST_F(FileDrop, ModelsAreAddedAndAnImageWithoutObjectsIsRefused) {
    CDialogMain panel(binding);
    panel.resize(1000, 600);
    panel.show();
    guitest::ProcessEvents();
    EXPECT_FALSE(DragAndDrop(panel.Preview(), {"/covers/front.png"}).dropAccepted);
    EXPECT_EQ(engine.Count("SetObjectImage"), 0);

    const int redraws = engine.redrawCount;
    EXPECT_TRUE(DragAndDrop(panel.Preview(), {"/models/Gift.3ds", "/notes.txt", "/models/Tube.3ds"}).dropAccepted);
    ASSERT_EQ(engine.Count("AddObject"), 2);
    EXPECT_EQ(engine.calls[engine.calls.size() - 2].text, "/models/Gift.3ds");
    EXPECT_EQ(engine.LastCall("AddObject")->text, "/models/Tube.3ds");
    EXPECT_GT(engine.redrawCount, redraws);

    // Nothing usable: the drag is refused at once.
    EXPECT_FALSE(DragAndDrop(panel.Preview(), {"/notes.txt", "/archive.zip"}).enterAccepted);
}

TEST_F(FileDrop, ProjectDroppedOnTheMainWindowOpensAloneThroughOpenByPath) {
    CMainFrame frame(binding);
    frame.resize(1100, 700);
    frame.show();
    guitest::ProcessEvents();
    std::vector<std::pair<std::string, std::string>> opened;
    CMainFrame::ProjectHooks hooks;
    hooks.openByPath = [&](const std::string& path, const std::string& name) { opened.emplace_back(path, name); };
    frame.SetProjectHooks(hooks);

    const DropResult r = DragAndDrop(&frame, {"/models/Gift.3ds", "/projects/Shop Window.scn", "/covers/a.png"});
    EXPECT_TRUE(r.dropAccepted);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, "/projects/Shop Window.scn");
    EXPECT_EQ(opened[0].second, "Shop Window.scn");
    // A project replaces the scene: the other files are left alone.
    EXPECT_EQ(engine.Count("AddObject"), 0);
    EXPECT_EQ(engine.Count("SetObjectImage"), 0);

    // The preview of the window takes it the same way.
    ASSERT_TRUE(DragAndDrop(frame.Panel()->Preview(), {"/projects/Other.scn"}).dropAccepted);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].second, "Other.scn");
}

TEST_F(FileDrop, ProjectDropUsesTheFramesDefaultOpen) {
    CMainFrame frame(binding);
    frame.show();
    guitest::ProcessEvents();
    ASSERT_TRUE(DragAndDrop(&frame, {"/projects/Studio.scn"}).dropAccepted);
    ASSERT_EQ(engine.loadedScenes.size(), 1u);
    EXPECT_EQ(engine.loadedScenes[0], "/projects/Studio.scn");
    EXPECT_EQ(frame.windowTitle(), "Studio.scn[*] - Boxora");
}

}  // namespace
