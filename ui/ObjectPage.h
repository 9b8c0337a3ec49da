#pragma once
// Base of the four object sub-pages (Textures, Translate, Rotate, Scale):
// they edit the object selected in the Objects tab's list and show the
// object record they are handed (or none, which disables them).
#include "ui/TabPage.h"

struct ObjectSnapshot;

namespace boxora {
class ObjectIconList;
}

class CObjectPage : public CTabPage {
    Q_OBJECT
public:
    using CTabPage::CTabPage;

    // The Objects tab's list, whose selection names the object to edit.
    void SetObjectList(boxora::ObjectIconList* list) { list_ = list; }
    // Id of the last selected row of the list, -1 when no row is selected.
    int SelectedObjectId() const;

    // Position of the edited object in the list, -1 when none is selected.
    int SelectedObjectIndex() const;
    // Makes the object at this list position the edited one.
    void SelectObjectIndex(int index);

    // Shows the object's values, or disables the page when object is null.
    virtual void RefreshObject(const ObjectSnapshot* object) = 0;

    // The undo step belongs to the edited object: undoing it selects that
    // object again before the value goes back.
    void RowEdited(ParamSpinBinding* row, int before, int after) override;

private:
    boxora::ObjectIconList* list_ = nullptr;
};
