#include "ui/TabCtrlObjects.h"

#include <QTabBar>

#include "lang/Lng.h"
#include "ui/DialogRotateObject.h"
#include "ui/DialogScaleObject.h"
#include "ui/DialogTextures.h"
#include "ui/DialogTranslateObject.h"

namespace {
struct PageTitle {
    const char* defaultTitle;
    const char* key;
};
constexpr PageTitle kTitles[4] = {{"Textures", "txt"}, {"Translate", "tran"}, {"Rotate", "rotate"}, {"Scale", "scale"}};
}  // namespace

CTabCtrlObjects::CTabCtrlObjects(boxora::EngineBinding& engine, QWidget* parent) : QTabWidget(parent) {
    setTabPosition(QTabWidget::North);
    setUsesScrollButtons(true);
    tabBar()->setExpanding(false);
    tabBar()->setElideMode(Qt::ElideNone);

    textures_ = new CDialogTextures(engine);
    translate_ = new CDialogTranslateObject(engine);
    rotate_ = new CDialogRotateObject(engine);
    scale_ = new CDialogScaleObject(engine);
    pages_ = {textures_, translate_, rotate_, scale_};
    for (std::size_t i = 0; i < pages_.size(); ++i) addTab(pages_[i], kTitles[i].defaultTitle);
    setCurrentIndex(0);
}

void CTabCtrlObjects::SetObjectList(boxora::ObjectIconList* list) {
    for (CObjectPage* page : pages_) page->SetObjectList(list);
}

void CTabCtrlObjects::Refresh(const ObjectSnapshot* object) {
    for (CObjectPage* page : pages_) page->RefreshObject(object);
}

void CTabCtrlObjects::ApplyLanguageTexts() {
    for (int i = 0; i < 4; ++i) setTabText(i, QString::fromStdString(Lng().GetText("TabObjects", kTitles[i].key)));
    for (CObjectPage* page : pages_) page->ApplyLanguageTexts();
}
