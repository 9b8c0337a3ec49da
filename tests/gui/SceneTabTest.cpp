// The Scene tab: the catalogue listing and its thumbnails, Add Object (button
// and double click), Delete Object with its fixed question (button and
// Delete key), the selection kept while the page is hidden, its texts and
// its layout.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "platform/Notifier.h"
#include "tests/gui/FakeEngine.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/DialogAddShape.h"
#include "ui/DialogScene.h"
#include "ui/GroupBox.h"
#include "ui/LayoutAdapter.h"
#include "ui/ObjectIconList.h"
#include "ui/Thumbnails.h"

namespace {

namespace fs = std::filesystem;

class SceneTab : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();
    boxora::RecordingNotifier notifier;

    void SetUp() override {
        boxora::SetNotifier(&notifier);
        fs::create_directories(env.ObjectsFolder());
    }
    void TearDown() override { boxora::SetNotifier(nullptr); }

    void WriteModel(const std::string& name) { testsupport::WriteFileBytes(env.ObjectsFolder() + name, "3ds"); }
    // A 112 x 112 picture: the mask grey around a red square.
    void WriteThumbnail(const std::string& name) {
        QImage image(112, 112, QImage::Format_RGB888);
        image.fill(QColor(192, 192, 192));
        for (int y = 28; y < 84; ++y)
            for (int x = 28; x < 84; ++x) image.setPixelColor(x, y, QColor(220, 10, 10));
        ASSERT_TRUE(image.save(QString::fromStdString(env.ObjectsFolder() + name), "PNG"));
    }

    std::unique_ptr<CDialogScene> Show() {
        auto page = std::make_unique<CDialogScene>(binding);
        page->resize(560, 480);
        page->show();
        guitest::ProcessEvents();
        return page;
    }
};

QStringList Texts(const boxora::ObjectIconList* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

TEST_F(SceneTab, CatalogueListsModelFilesByNameAndSkipsHiddenFilesAndFolders) {
    WriteModel("DVD Box.3ds");
    WriteThumbnail("DVD Box.png");
    WriteModel("Box.3ds");  // no thumbnail
    WriteModel(".Hidden.3ds");
    WriteModel("notes.txt");
    WriteModel("Tube.3DS");
    fs::create_directories(env.ObjectsFolder() + "Folder.3ds");

    auto page = Show();
    boxora::ObjectIconList* catalogue = page->Catalogue();
    EXPECT_EQ(Texts(catalogue), QStringList({"Box", "DVD Box", "Tube"}));
    EXPECT_EQ(catalogue->FirstSelectedIndex(), 0);

    // The picture of "DVD Box.png", its mask grey transparent; an item
    // without a thumbnail keeps an empty slot of the same size.
    const QImage dvd = catalogue->item(1)->icon().pixmap(boxora::kThumbnailSize).toImage();
    ASSERT_EQ(dvd.size(), QSize(boxora::kThumbnailSize, boxora::kThumbnailSize));
    EXPECT_EQ(dvd.pixelColor(28, 28).red(), 220);
    EXPECT_EQ(dvd.pixelColor(28, 28).alpha(), 255);
    EXPECT_EQ(dvd.pixelColor(2, 2).alpha(), 0);
    const QImage box = catalogue->item(0)->icon().pixmap(boxora::kThumbnailSize).toImage();
    EXPECT_EQ(box.pixelColor(28, 28).alpha(), 0);

    // Read once per run: a model added later is not listed.
    WriteModel("Cube.3ds");
    page->hide();
    page->show();
    guitest::ProcessEvents();
    EXPECT_EQ(catalogue->count(), 3);
}

TEST_F(SceneTab, MissingCatalogueFolderGivesAnEmptyCatalogueAndAddDoesNothing) {
    fs::remove_all(env.ObjectsFolder());
    auto page = Show();
    EXPECT_EQ(page->Catalogue()->count(), 0);
    page->AddButton()->click();
    EXPECT_EQ(engine.Count("AddObject"), 0);
    EXPECT_TRUE(page->AddButton()->isEnabled());
}

TEST_F(SceneTab, AddObjectQueuesTheSelectedModelFileAndRedraws) {
    WriteModel("Box.3ds");
    WriteModel("DVD Box.3ds");
    auto page = Show();
    page->Catalogue()->SelectIndex(1);
    const int redraws = engine.redrawCount;
    page->AddButton()->click();
    ASSERT_EQ(engine.Count("AddObject"), 1);
    EXPECT_EQ(engine.LastCall("AddObject")->text, env.ObjectsFolder() + "DVD Box.3ds");
    EXPECT_GT(engine.redrawCount, redraws);
    EXPECT_TRUE(page->AddButton()->isEnabled());

    // A double click on a catalogue item adds it too.
    boxora::ObjectIconList* catalogue = page->Catalogue();
    const QRect first = catalogue->visualItemRect(catalogue->item(0));
    QTest::mouseClick(catalogue->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    QTest::mouseDClick(catalogue->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    ASSERT_EQ(engine.Count("AddObject"), 2);
    EXPECT_EQ(engine.LastCall("AddObject")->text, env.ObjectsFolder() + "Box.3ds");
}

TEST_F(SceneTab, SceneListShowsTheEngineObjectsWithTheirIdsAndCatalogueThumbnails) {
    WriteModel("Box.3ds");
    WriteThumbnail("Box.png");
    engine.AddFakeObject("Box");
    // A renamed object keeps the picture of the model it came from.
    engine.AddFakeObject("Box").userName = "My product";
    engine.AddFakeObject("Unknown");
    auto page = Show();
    boxora::ObjectIconList* list = page->SceneList();
    EXPECT_EQ(Texts(list), QStringList({"Box", "My product", "Unknown"}));
    EXPECT_EQ(list->IdAt(0), 0);
    EXPECT_EQ(list->IdAt(1), 1);
    EXPECT_EQ(list->IdAt(2), 2);
    EXPECT_EQ(list->item(1)->icon().pixmap(boxora::kThumbnailSize).toImage().pixelColor(30, 30).red(), 220);
    EXPECT_EQ(list->item(2)->icon().pixmap(boxora::kThumbnailSize).toImage().pixelColor(30, 30).alpha(), 0);
    EXPECT_EQ(list->FirstSelectedIndex(), 0);
}

TEST_F(SceneTab, DeleteAsksTheFixedQuestionAndRefreshesWhenTheAnswerIsNo) {
    engine.AddFakeObject("Book");
    auto page = Show();
    ASSERT_EQ(page->SceneList()->count(), 1);
    // The engine gained an object meanwhile; the refill after the question
    // shows it although nothing was deleted.
    engine.AddFakeObject("Box");
    notifier.answer = boxora::MsgAnswer::No;
    page->DeleteButton()->click();

    const auto messages = notifier.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Do you realy want to delete object 'Book'?");
    EXPECT_EQ(messages[0].icon, boxora::MsgIcon::Question);
    EXPECT_EQ(messages[0].buttons, boxora::MsgButtons::YesNo);
    EXPECT_EQ(engine.Count("QueueObjectDeletion"), 0);
    EXPECT_EQ(page->SceneList()->count(), 2);
    EXPECT_TRUE(page->DeleteButton()->isEnabled());
}

TEST_F(SceneTab, YesQueuesTheSelectedObjectForDeletion) {
    engine.AddFakeObject("Book");
    engine.AddFakeObject("Box");
    auto page = Show();
    page->SceneList()->SelectIndex(1);
    notifier.answer = boxora::MsgAnswer::Yes;
    const int redraws = engine.redrawCount;
    page->DeleteButton()->click();
    ASSERT_EQ(engine.Count("QueueObjectDeletion"), 1);
    EXPECT_EQ(engine.LastCall("QueueObjectDeletion")->id, 1);
    EXPECT_GT(engine.redrawCount, redraws);
    EXPECT_EQ(notifier.Messages().at(0).text, "Do you realy want to delete object 'Box'?");
    EXPECT_TRUE(page->DeleteButton()->isEnabled());
}

TEST_F(SceneTab, DeleteKeyInTheSceneListAsksToo) {
    engine.AddFakeObject("100% Box");
    auto page = Show();
    notifier.answer = boxora::MsgAnswer::Yes;
    page->SceneList()->setFocus();
    QTest::keyClick(page->SceneList(), Qt::Key_Delete);
    ASSERT_EQ(notifier.Messages().size(), 1u);
    // The name goes in as it is, percent sign included.
    EXPECT_EQ(notifier.Messages()[0].text, "Do you realy want to delete object '100% Box'?");
    EXPECT_EQ(engine.LastCall("QueueObjectDeletion")->id, 0);
}

TEST_F(SceneTab, DeleteWithoutASelectionAsksNothing) {
    auto page = Show();
    page->DeleteButton()->click();
    EXPECT_TRUE(notifier.Messages().empty());
    EXPECT_EQ(engine.Count("QueueObjectDeletion"), 0);
}

TEST_F(SceneTab, SelectionsAreRememberedWhileThePageIsHidden) {
    for (const char* name : {"A.3ds", "B.3ds", "C.3ds", "D.3ds"}) WriteModel(name);
    for (int i = 0; i < 3; ++i) engine.AddFakeObject("Box");
    auto page = Show();
    page->SceneList()->SelectIndex(2);
    page->Catalogue()->SelectIndex(3);
    page->hide();
    // Refreshed while hidden: the remembered row comes back when shown.
    page->RefreshFromEngine();
    page->show();
    guitest::ProcessEvents();
    EXPECT_EQ(page->SceneList()->FirstSelectedIndex(), 2);
    EXPECT_EQ(page->Catalogue()->FirstSelectedIndex(), 3);

    // On screen, a refresh keeps the current row; when that row is gone the
    // last object is selected.
    page->SceneList()->SelectIndex(1);
    page->RefreshFromEngine();
    EXPECT_EQ(page->SceneList()->FirstSelectedIndex(), 1);
    page->SceneList()->SelectIndex(2);
    engine.objects.pop_back();
    page->RefreshFromEngine();
    EXPECT_EQ(page->SceneList()->FirstSelectedIndex(), 1);
}

TEST_F(SceneTab, AddShapeTakesInchesAndRefusesParametersThatDoNotFit) {
    CDialogAddShape dialog;
    dialog.KindBox()->setCurrentText("can");
    dialog.UnitsBox()->setCurrentText("in");
    ASSERT_TRUE(dialog.Field("diameter"));
    EXPECT_NEAR(dialog.Field("diameter")->value(), 66 / 25.4, 1e-3);  // the default, shown in inches
    dialog.Field("diameter")->setValue(3);
    EXPECT_EQ(dialog.ShapeName().rfind("shape:can,diameter=76.2,height=115", 0), 0u) << dialog.ShapeName();
    // A neck of more than a quarter of the diameter does not make a can.
    dialog.Field("neck")->setValue(0.8);
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_NE(dialog.ErrorLabel()->text().toStdString().find("neck"), std::string::npos);
}

TEST_F(SceneTab, AddShapeQueuesTheShapeAsAModel) {
    auto page = Show();
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<CDialogAddShape*>(QApplication::activeModalWidget());
        if (!dialog) return;
        dialog->KindBox()->setCurrentText("pouch");
        dialog->accept();
    });
    page->AddShapeButton()->click();
    ASSERT_EQ(engine.Count("AddObject"), 1);
    EXPECT_EQ(engine.LastCall("AddObject")->text, "shape:pouch,width=140,height=220,gusset=80");
}

TEST_F(SceneTab, CaptionsComeFromTheLanguageFile) {
    auto page = Show();
    page->ApplyLanguageTexts();
    EXPECT_EQ(static_cast<GroupBox*>(page->Control(1089))->title(), "Objects in Scene");
    EXPECT_EQ(static_cast<GroupBox*>(page->Control(1090))->title(), "Available Objects");
    EXPECT_EQ(page->AddButton()->text(), "Add Object");
    EXPECT_EQ(page->DeleteButton()->text(), "Delete Object");
    // The buttons fit their captions.
    EXPECT_GE(page->AddButton()->width(), page->AddButton()->sizeHint().width());
}

TEST_F(SceneTab, LayoutPlacesButtonsByPageWidthAndFillsTheCatalogueGroup) {
    auto page = Show();
    page->ApplyLanguageTexts();
    page->resize(600, 500);
    guitest::ProcessEvents();
    const DialogUnits du = boxora::DialogUnitsOf(page.get());
    const QRect sceneGroup = page->Control(1089)->geometry();
    const QRect sceneList = page->SceneList()->geometry();
    const QRect add = page->AddButton()->geometry();
    const QRect del = page->DeleteButton()->geometry();
    const QRect catGroup = page->Control(1090)->geometry();
    const QRect catList = page->Catalogue()->geometry();

    EXPECT_EQ(sceneGroup.x(), du.ToPixelsX(7));
    EXPECT_EQ(sceneGroup.right() + 1, 600 - du.ToPixelsX(7));
    EXPECT_EQ(sceneList.y(), sceneGroup.y() + du.ToPixelsY(10));
    EXPECT_EQ(sceneList.bottom() + 1, sceneGroup.y() + du.ToPixelsY(70));
    EXPECT_EQ(sceneGroup.bottom() + 1, sceneList.bottom() + 1 + du.ToPixelsY(7));
    EXPECT_EQ(add.x(), 600 * 15 / 100);
    EXPECT_EQ(del.right() + 1, 600 * 85 / 100);
    EXPECT_EQ(add.y(), sceneGroup.bottom() + 1 + du.ToPixelsY(7));
    EXPECT_EQ(del.y(), add.y());
    EXPECT_EQ(catGroup.y(), add.bottom() + 1 + du.ToPixelsY(3));
    EXPECT_EQ(catGroup.bottom() + 1, 500 - du.ToPixelsY(7));
    EXPECT_EQ(catList.bottom() + 1, catGroup.bottom() + 1 - du.ToPixelsY(7));
    EXPECT_TRUE(catGroup.contains(catList));
}

}  // namespace
