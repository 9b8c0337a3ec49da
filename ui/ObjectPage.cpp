#include "ui/ObjectPage.h"

#include "ui/ObjectIconList.h"

int CObjectPage::SelectedObjectId() const { return list_ ? list_->LastSelectedId() : -1; }
