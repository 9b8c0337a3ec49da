#include "ui/ObjectPage.h"

#include "ui/ObjectIconList.h"
#include "ui/undo/SceneHistory.h"

int CObjectPage::SelectedObjectId() const { return list_ ? list_->LastSelectedId() : -1; }

int CObjectPage::SelectedObjectIndex() const { return list_ ? list_->FirstSelectedIndex() : -1; }

void CObjectPage::SelectObjectIndex(int index) {
    if (list_ && index >= 0 && index < list_->count() && list_->FirstSelectedIndex() != index)
        list_->SelectIndex(index);
}

void CObjectPage::RowEdited(ParamSpinBinding* row, int before, int after) {
    const int index = SelectedObjectIndex();
    if (!History() || index < 0) return;
    History()->RecordValue({row, index}, before, after, [this, row, index](int value) {
        SelectObjectIndex(index);
        row->WriteValue(value);
    });
}
