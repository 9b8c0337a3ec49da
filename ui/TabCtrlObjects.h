#pragma once
// The sub-tabs of the Objects tab: Textures, Translate, Rotate and Scale,
// which edit the object selected in the Objects tab's list.
#include <QTabWidget>
#include <array>

#include "ui/EngineBinding.h"

struct ObjectSnapshot;
class CDialogRotateObject;
class CDialogScaleObject;
class CDialogTextures;
class CDialogTranslateObject;
class CObjectPage;

namespace boxora {
class ObjectIconList;
}

class CTabCtrlObjects : public QTabWidget {
    Q_OBJECT
public:
    explicit CTabCtrlObjects(boxora::EngineBinding& engine, QWidget* parent = nullptr);

    // Gives every page the list whose selection names the object to edit.
    void SetObjectList(boxora::ObjectIconList* list);
    // Shows the object on the four pages, in tab order; null unbinds them.
    void Refresh(const ObjectSnapshot* object);
    // Page captions, then every page's own texts.
    void ApplyLanguageTexts();

    CDialogTextures* TexturesPage() const { return textures_; }
    CDialogTranslateObject* TranslatePage() const { return translate_; }
    CDialogRotateObject* RotatePage() const { return rotate_; }
    CDialogScaleObject* ScalePage() const { return scale_; }

private:
    CDialogTextures* textures_;
    CDialogTranslateObject* translate_;
    CDialogRotateObject* rotate_;
    CDialogScaleObject* scale_;
    std::array<CObjectPage*, 4> pages_{};
};
