#include "ui/TabCtrlMain.h"

#include <QTabBar>

#include "lang/Lng.h"
#include "ui/DialogCamera.h"
#include "ui/DialogGeneral.h"
#include "ui/DialogLight.h"
#include "ui/DialogObjects.h"
#include "ui/DialogReflection.h"
#include "ui/DialogRender.h"
#include "ui/DialogScene.h"
#include "ui/DialogShadow.h"

namespace {
struct TabTitle {
    const char* defaultTitle;
    const char* key;
    const char* section;
};
constexpr TabTitle kTitles[CTabCtrlMain::PageCount] = {
    {"General", "general", "TabGeneral"},          {"Scene", "scene", "TabScene"},
    {"Objects", "objects", "TabObjects"},          {"Camera", "camera", "TabCamera"},
    {"Lighting", "lighting", "TabLighting"},       {"Shadows", "shadows", "TabShadows"},
    {"Reflection", "reflection", "TabReflection"}, {"Rendering", "rendering", "TabRendering"},
};
}  // namespace

CTabCtrlMain::CTabCtrlMain(boxora::EngineBinding& engine, QWidget* parent) : QTabWidget(parent) {
    setTabPosition(QTabWidget::North);
    setUsesScrollButtons(true);
    setDocumentMode(false);
    tabBar()->setExpanding(false);
    tabBar()->setElideMode(Qt::ElideNone);

    general_ = new CDialogGeneral(engine);
    scene_ = new CDialogScene(engine);
    objects_ = new CDialogObjects(engine);
    camera_ = new CDialogCamera(engine);
    light_ = new CDialogLight(engine);
    shadow_ = new CDialogShadow(engine);
    reflection_ = new CDialogReflection(engine);
    render_ = new CDialogRender(engine);
    pages_ = {general_, scene_, objects_, camera_, light_, shadow_, reflection_, render_};
    for (int i = 0; i < PageCount; ++i) addTab(pages_[static_cast<std::size_t>(i)], kTitles[i].defaultTitle);
}

void CTabCtrlMain::ApplyLanguageTexts() {
    for (int i = 0; i < PageCount; ++i)
        setTabText(i, QString::fromStdString(Lng().GetText(kTitles[i].section, kTitles[i].key)));
    for (CTabPage* page : pages_) page->ApplyLanguageTexts();
}
