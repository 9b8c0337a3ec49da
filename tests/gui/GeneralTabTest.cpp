// The General tab and the Save Template dialog on the offscreen platform:
// listing with previews, the proposed name, the overwrite question, load,
// save, delete and in-place rename with every refusal, the context menu and
// the layout.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "platform/AppPaths.h"
#include "platform/Notifier.h"
#include "project/TemplateLibrary.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/project/ProjectTestSupport.h"
#include "ui/DialogGeneral.h"
#include "ui/DialogSaveTemplate.h"
#include "ui/GroupBox.h"
#include "ui/TemplateList.h"

using boxora::MsgAnswer;
using boxora::MsgButtons;
using boxora::MsgIcon;
using boxora::TemplateLibrary;
namespace fs = std::filesystem;

namespace {

class GeneralTab : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    projecttest::SceneFileEngine engine;
    boxora::EngineBinding binding = engine.Binding();
    projecttest::ScriptedNotifier notifier;
    projecttest::NotifierScope notifierScope{notifier};
    TemplateLibrary library = TemplateLibrary::ForCurrentUser();

    // A template; with a picture of the given colour unless colour is null.
    void AddTemplate(const std::string& name, QColor colour = Qt::darkCyan) {
        testsupport::WriteFileBytes(library.ScenePath(name), "[SCENE]\nVersion=1.8\n");
        if (colour.isValid()) {
            QImage picture(94, 94, QImage::Format_RGB32);
            picture.fill(colour);
            ASSERT_TRUE(picture.save(QString::fromStdString(library.PicturePath(name)), "JPEG", 100));
        }
    }
    static QStringList Labels(const QListWidget* list) {
        QStringList labels;
        for (int i = 0; i < list->count(); ++i) labels << list->item(i)->text();
        return labels;
    }
    static QListWidgetItem* Find(const QListWidget* list, const QString& text) {
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text() == text) return list->item(i);
        return nullptr;
    }
};

TEST_F(GeneralTab, ListsTemplatesSortedWithTheirOwnPictures) {
    AddTemplate("Shelf", Qt::red);
    AddTemplate("bare", QColor());  // no picture
    AddTemplate("Alpha", Qt::blue);
    AddTemplate("Zeta", Qt::green);
    testsupport::WriteFileBytes(library.PicturePath("Broken"), "not a jpeg");
    testsupport::WriteFileBytes(library.ScenePath("Broken"), "x");
    CDialogGeneral page(binding);
    TemplateList* list = page.List();
    EXPECT_EQ(Labels(list), QStringList({"Alpha", "bare", "Broken", "Shelf", "Zeta"}));
    EXPECT_TRUE(Find(list, "bare")->icon().isNull());
    EXPECT_TRUE(Find(list, "Broken")->icon().isNull());
    // The items after one without a picture keep their own.
    auto colourOf = [&](const char* name) {
        const QImage image = Find(list, name)->icon().pixmap(94, 94).toImage();
        EXPECT_EQ(image.size(), QSize(94, 94)) << name;
        return image.pixelColor(47, 47);
    };
    EXPECT_GT(colourOf("Alpha").blue(), 200);
    EXPECT_GT(colourOf("Shelf").red(), 200);
    EXPECT_GT(colourOf("Zeta").green(), 100);
    EXPECT_LT(colourOf("Zeta").red(), 60);
}

TEST_F(GeneralTab, RefillKeepsTheSelectedPositionAndPicksUpNewPictures) {
    AddTemplate("A");
    AddTemplate("B", QColor());
    AddTemplate("C");
    CDialogGeneral page(binding);
    page.List()->SelectRow(1);
    EXPECT_TRUE(Find(page.List(), "B")->icon().isNull());
    AddTemplate("B", Qt::yellow);  // the render job wrote its picture
    page.RefreshFromEngine();
    EXPECT_FALSE(Find(page.List(), "B")->icon().isNull());
    EXPECT_EQ(page.List()->SelectedRow(), 1);
}

TEST_F(GeneralTab, ShowingThePageSelectsTheRememberedItemOrTheFirst) {
    AddTemplate("A");
    AddTemplate("B");
    CDialogGeneral page(binding);
    EXPECT_EQ(page.List()->SelectedRow(), -1);
    page.show();
    EXPECT_EQ(page.List()->SelectedRow(), 0);
    page.List()->SelectRow(1);
    page.hide();
    page.List()->SelectRow(0);
    page.show();
    EXPECT_EQ(page.List()->SelectedRow(), 1);
}

TEST_F(GeneralTab, SaveTemplateDialogProposesTheFirstFreeNumber) {
    AddTemplate("Template 01");
    AddTemplate("Template 03");
    CDialogSaveTemplate dialog(library);
    EXPECT_EQ(dialog.NameEdit()->text(), "Template 02");
    EXPECT_EQ(dialog.Name(), "Template 02");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.windowTitle(), "Save Template");
    EXPECT_EQ(dialog.OkButton()->text(), "OK");
    EXPECT_EQ(dialog.CancelButton()->text(), "Cancel");

    dialog.NameEdit()->clear();
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.Name(), "");
    // The characters a rename refuses cannot be typed.
    QTest::keyClicks(dialog.NameEdit(), "My/Shot's");
    EXPECT_EQ(dialog.NameEdit()->text(), "MyShots");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    dialog.NameEdit()->setText(".hidden");
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
}

TEST_F(GeneralTab, SaveTemplateDialogAsksBeforeReplacingAndNoKeepsItOpen) {
    AddTemplate("Shelf");
    CDialogSaveTemplate dialog(library);
    dialog.show();
    dialog.NameEdit()->setText("Shelf");
    notifier.answers = {MsgAnswer::No};
    dialog.OkButton()->click();
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "Template 'Shelf' already exists. Overwrite?");
    EXPECT_EQ(notifier.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(notifier.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);

    notifier.answers = {MsgAnswer::Yes};
    dialog.OkButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Name(), "Shelf");

    // A new name closes without a question.
    CDialogSaveTemplate fresh(library);
    fresh.show();
    fresh.NameEdit()->setText("Counter");
    fresh.OkButton()->click();
    EXPECT_EQ(fresh.result(), QDialog::Accepted);
    EXPECT_EQ(notifier.messages.size(), 2u);
}

TEST_F(GeneralTab, SaveWritesTheSceneAndAsksForA94PixelJpegPreview) {
    CDialogGeneral page(binding);
    page.SetSaveTemplatePrompt([] { return std::optional<std::string>("Studio"); });
    page.SaveProjectAsTemplate();
    ASSERT_EQ(engine.savedPaths.size(), 1u);
    EXPECT_EQ(engine.savedPaths[0], boxora::TemplateFolder() + "Studio.scn");
    ASSERT_EQ(engine.renderJobs.size(), 1u);
    const RenderJob& job = engine.renderJobs[0];
    EXPECT_EQ(job.fileName, boxora::TemplateFolder() + "Studio.jpg");
    EXPECT_EQ(job.width, 94);
    EXPECT_EQ(job.height, 94);
    EXPECT_EQ(job.format, 3);
    EXPECT_EQ(job.jpegQuality, 100);
    EXPECT_EQ(job.pngInterlace, 0);
    EXPECT_EQ(job.jpegOptions, 0);
    EXPECT_EQ(job.gifCompression, 0);
    EXPECT_EQ(job.tiffCompression, 0);
    EXPECT_EQ(page.PreviewCodecOptions().jpegQuality, 100);
    EXPECT_TRUE(notifier.messages.empty());
    // Listed at once, without its picture until the render reports back.
    ASSERT_NE(Find(page.List(), "Studio"), nullptr);
    EXPECT_TRUE(Find(page.List(), "Studio")->icon().isNull());
}

TEST_F(GeneralTab, FailedSaveReportsAndKeepsTheTemplateItWouldReplace) {
    AddTemplate("Studio", Qt::red);
    const std::string before = testsupport::ReadFileBytes(library.ScenePath("Studio"));
    engine.saveFails = true;
    CDialogGeneral page(binding);
    page.SetSaveTemplatePrompt([] { return std::optional<std::string>("Studio"); });
    page.SaveProjectAsTemplate();
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "The template could not be saved.");
    EXPECT_EQ(notifier.messages[0].icon, MsgIcon::None);
    EXPECT_TRUE(engine.renderJobs.empty());
    EXPECT_EQ(testsupport::ReadFileBytes(library.ScenePath("Studio")), before);
    EXPECT_TRUE(fs::exists(library.PicturePath("Studio")));
}

TEST_F(GeneralTab, CancelledOrEmptySaveDoesNothing) {
    CDialogGeneral page(binding);
    page.SetSaveTemplatePrompt([] { return std::nullopt; });
    page.SaveProjectAsTemplate();
    page.SetSaveTemplatePrompt([] { return std::optional<std::string>(""); });
    page.SaveProjectAsTemplate();
    EXPECT_TRUE(engine.savedPaths.empty());
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(GeneralTab, SaveThroughTheRealDialog) {
    AddTemplate("Template 01");
    CDialogGeneral page(binding);
    page.show();
    QString proposed;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDialogSaveTemplate*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        proposed = dialog->NameEdit()->text();
        dialog->OkButton()->click();
    });
    page.SaveButton()->click();
    EXPECT_EQ(proposed, "Template 02");
    ASSERT_EQ(engine.savedPaths.size(), 1u);
    EXPECT_EQ(engine.savedPaths[0], library.ScenePath("Template 02"));
}

TEST_F(GeneralTab, LoadSendsTheTemplateLoadNotificationsAroundLoadScene) {
    AddTemplate("Shelf");
    CDialogGeneral page(binding);
    page.LoadTemplate();  // nothing selected
    EXPECT_TRUE(engine.loadedScenes.empty());
    page.List()->SelectRow(0);
    page.LoadTemplate();
    ASSERT_EQ(engine.loadedScenes.size(), 1u);
    EXPECT_EQ(engine.loadedScenes[0], library.ScenePath("Shelf"));
    ASSERT_EQ(notifier.notifications.size(), 2u);
    EXPECT_EQ(notifier.notifications[0].message, boxora::WM_ENGINE_BEGIN);
    EXPECT_EQ(notifier.notifications[0].wParam, boxora::ENGINE_OP_TEMPLATE);
    EXPECT_EQ(notifier.notifications[1].message, boxora::WM_ENGINE_END);
    EXPECT_TRUE(page.SaveButton()->isEnabled());

    // Double click and the context menu load too.
    page.resize(500, 400);
    page.show();
    guitest::ProcessEvents();
    const QRect rect = page.List()->visualItemRect(page.List()->item(0));
    QTest::mouseClick(page.List()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseDClick(page.List()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    EXPECT_EQ(engine.loadedScenes.size(), 2u);
    page.ContextAction(CDialogGeneral::ID_TEMPLATE_LOAD)->trigger();
    EXPECT_EQ(engine.loadedScenes.size(), 3u);
}

TEST_F(GeneralTab, DeleteAsksThenRemovesBothFiles) {
    AddTemplate("Keep");
    AddTemplate("Drop");
    CDialogGeneral page(binding);
    page.DeleteTemplate();  // nothing selected: no question
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(page.List()->count(), 2);

    page.List()->SelectRow(0);  // "Drop"
    notifier.answers = {MsgAnswer::No};
    page.DeleteTemplate();
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "Do you really want to delete the template \"Drop\"?");
    EXPECT_EQ(notifier.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(notifier.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(fs::exists(library.ScenePath("Drop")));

    notifier.answers = {MsgAnswer::Yes};
    page.show();
    page.List()->setFocus();
    QTest::keyClick(page.List(), Qt::Key_Delete);
    EXPECT_EQ(notifier.messages.size(), 2u);
    EXPECT_FALSE(fs::exists(library.ScenePath("Drop")));
    EXPECT_FALSE(fs::exists(library.PicturePath("Drop")));
    EXPECT_EQ(Labels(page.List()), QStringList({"Keep"}));
}

TEST_F(GeneralTab, DeletingATemplateWithoutPictureIsNoError) {
    AddTemplate("Bare", QColor());
    CDialogGeneral page(binding);
    page.List()->SelectRow(0);
    notifier.answers = {MsgAnswer::Yes};
    page.DeleteTemplate();
    EXPECT_EQ(notifier.messages.size(), 1u);  // only the question
    EXPECT_EQ(page.List()->count(), 0);
}

TEST_F(GeneralTab, DeleteThatFailsReportsAndRefills) {
    AddTemplate("Stuck");
    CDialogGeneral page(binding);
    page.List()->SelectRow(0);
    // The scene file turns into a folder that cannot be unlinked.
    fs::remove(library.ScenePath("Stuck"));
    fs::create_directories(library.ScenePath("Stuck") + "/inside");
    notifier.answers = {MsgAnswer::Yes};
    page.DeleteTemplate();
    ASSERT_EQ(notifier.messages.size(), 2u);
    EXPECT_EQ(notifier.messages[1].text, "The template \"Stuck\" could not be deleted.");
    EXPECT_EQ(notifier.messages[1].icon, MsgIcon::None);
    EXPECT_TRUE(fs::exists(library.PicturePath("Stuck")));
    EXPECT_EQ(page.List()->count(), 0);  // refilled: a folder is not listed
}

TEST_F(GeneralTab, RenameRefusesInvalidNamesWithBothNames) {
    AddTemplate("Shelf");
    CDialogGeneral page(binding);
    for (const std::string bad : {"a/b", "it's", "", "x:y", ".dot"}) {
        notifier.messages.clear();
        EXPECT_FALSE(page.FinishRename("Shelf", bad)) << bad;
        ASSERT_EQ(notifier.messages.size(), 1u) << bad;
        EXPECT_EQ(notifier.messages[0].text, "The template \"Shelf\" cannot be renamed to \"" + bad + "\".");
        EXPECT_EQ(notifier.messages[0].icon, MsgIcon::Error);
    }
    EXPECT_TRUE(fs::exists(library.ScenePath("Shelf")));
    EXPECT_EQ(Labels(page.List()), QStringList({"Shelf"}));
}

TEST_F(GeneralTab, RenameToAnExistingNameIsRefused) {
    AddTemplate("Shelf");
    AddTemplate("Desk", Qt::blue);
    CDialogGeneral page(binding);
    EXPECT_FALSE(page.FinishRename("Shelf", "Desk"));
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "A template named \"Desk\" already exists.");
    EXPECT_EQ(notifier.messages[0].icon, MsgIcon::Error);
    EXPECT_TRUE(fs::exists(library.ScenePath("Shelf")));
    EXPECT_EQ(Labels(page.List()), QStringList({"Desk", "Shelf"}));
}

TEST_F(GeneralTab, RenameThatFailsReportsTheOldName) {
    AddTemplate("Shelf");
    CDialogGeneral page(binding);
    fs::create_directories(library.PicturePath("Top") + "/inside");
    EXPECT_FALSE(page.FinishRename("Shelf", "Top"));
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "The template \"Shelf\" could not be renamed.");
    EXPECT_TRUE(fs::exists(library.ScenePath("Shelf")));
    EXPECT_EQ(Labels(page.List()), QStringList({"Shelf"}));
}

TEST_F(GeneralTab, F2EditsTheNameInPlaceAndTheItemKeepsItsPicture) {
    AddTemplate("Alpha", Qt::red);
    AddTemplate("Mid", Qt::blue);
    CDialogGeneral page(binding);
    page.resize(500, 400);
    page.show();
    page.List()->SelectRow(0);
    page.List()->setFocus();
    QTest::keyClick(page.List(), Qt::Key_F2);
    ASSERT_TRUE(page.List()->IsEditing());
    auto* editor = page.List()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "Alpha");
    editor->selectAll();
    QTest::keyClicks(editor, "Zulu");
    QTest::keyClick(editor, Qt::Key_Return);
    guitest::ProcessEvents();
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_TRUE(fs::exists(library.ScenePath("Zulu")));
    EXPECT_TRUE(fs::exists(library.PicturePath("Zulu")));
    EXPECT_FALSE(fs::exists(library.ScenePath("Alpha")));
    // In order, selected, with its picture.
    EXPECT_EQ(Labels(page.List()), QStringList({"Mid", "Zulu"}));
    EXPECT_EQ(page.List()->SelectedName(), "Zulu");
    EXPECT_FALSE(Find(page.List(), "Zulu")->icon().isNull());
}

TEST_F(GeneralTab, RefusedEditKeepsTheLabelAndEscapeChangesNothing) {
    AddTemplate("Alpha");
    CDialogGeneral page(binding);
    page.resize(500, 400);
    page.show();
    page.List()->SelectRow(0);
    page.ContextAction(CDialogGeneral::ID_TEMPLATE_RENAME)->trigger();
    auto* editor = page.List()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("a|b");
    QTest::keyClick(editor, Qt::Key_Return);
    guitest::ProcessEvents();
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(Labels(page.List()), QStringList({"Alpha"}));

    page.RenameTemplate();
    editor = page.List()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("Other");
    QTest::keyClick(editor, Qt::Key_Escape);
    guitest::ProcessEvents();
    EXPECT_EQ(notifier.messages.size(), 1u);
    EXPECT_TRUE(fs::exists(library.ScenePath("Alpha")));
    EXPECT_EQ(Labels(page.List()), QStringList({"Alpha"}));
}

TEST_F(GeneralTab, RefillWaitsWhileANameIsBeingEdited) {
    AddTemplate("Alpha");
    CDialogGeneral page(binding);
    page.resize(500, 400);
    page.show();
    page.List()->SelectRow(0);
    page.RenameTemplate();
    ASSERT_TRUE(page.List()->IsEditing());
    AddTemplate("Beta");
    page.RefreshFromEngine();  // e.g. a preview render finished
    EXPECT_TRUE(page.List()->IsEditing());
    EXPECT_EQ(page.List()->count(), 1);
    auto* editor = page.List()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Escape);
    guitest::ProcessEvents();
    EXPECT_EQ(Labels(page.List()), QStringList({"Alpha", "Beta"}));
}

TEST_F(GeneralTab, ContextMenuHasIconsAndOpensOnlyOverAnItem) {
    AddTemplate("Alpha");
    CDialogGeneral page(binding);
    page.resize(500, 400);
    page.show();
    const QList<QAction*> actions = page.ContextMenu()->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), "Load Template");
    EXPECT_EQ(actions[1]->text(), "Delete Template");
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(actions[3]->text(), "Rename Template");
    for (int i : {0, 1, 3}) EXPECT_FALSE(actions[i]->icon().isNull()) << i;

    bool shown = false;
    QObject::connect(page.ContextMenu(), &QMenu::aboutToShow, [&] {
        shown = true;
        QTimer::singleShot(0, page.ContextMenu(), &QMenu::close);
    });
    page.ShowContextMenu(QPoint(page.List()->viewport()->width() - 3, page.List()->viewport()->height() - 3));
    EXPECT_FALSE(shown);
    const QRect rect = page.List()->visualItemRect(page.List()->item(0));
    page.ShowContextMenu(rect.center());
    EXPECT_TRUE(shown);
    EXPECT_EQ(page.List()->SelectedName(), "Alpha");
}

TEST_F(GeneralTab, LanguageTextsAndLayout) {
    CDialogGeneral page(binding);
    page.ApplyLanguageTexts();
    EXPECT_EQ(page.Group()->title(), "Templates");
    EXPECT_EQ(page.LoadButton()->text(), "Load Template");
    EXPECT_EQ(page.SaveButton()->text(), "Save as Template");
    EXPECT_EQ(page.DeleteButton()->text(), "Delete Template");

    page.resize(480, 520);
    page.show();
    guitest::ProcessEvents();
    const QRect group = page.Group()->geometry();
    const QRect load = page.LoadButton()->geometry();
    const QRect save = page.SaveButton()->geometry();
    const QRect del = page.DeleteButton()->geometry();
    const QRect list = page.List()->geometry();
    EXPECT_GT(group.left(), 0);
    EXPECT_LT(group.right(), page.width() - 1);
    // The three buttons share one row at the bottom, equally wide, Save in
    // the middle of the group.
    EXPECT_EQ(load.bottom(), save.bottom());
    EXPECT_EQ(load.bottom(), del.bottom());
    EXPECT_EQ(load.width(), save.width());
    EXPECT_EQ(load.width(), del.width());
    EXPECT_LT(load.right(), save.left());
    EXPECT_LT(save.right(), del.left());
    EXPECT_LE(std::abs((save.left() - group.left()) - (group.right() - save.right())), 1);
    EXPECT_EQ(load.left() - group.left(), group.right() - del.right());
    // The list fills the group above the buttons.
    EXPECT_LT(list.bottom(), load.top());
    EXPECT_EQ(list.left(), load.left());
    EXPECT_EQ(list.right(), del.right());
    EXPECT_GT(list.top(), group.top());
}

}  // namespace
