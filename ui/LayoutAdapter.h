#pragma once
// Applies layout rules to Qt widgets: every child control carries its control
// id, the rules name controls by id, and the solver's rectangles are applied
// to the dialog's direct children.
#include <vector>

#include "ui/layout/LayoutRules.h"

class QWidget;

namespace boxora {

// Gives a widget its control id (0 = none).
void SetControlId(QWidget* widget, int id);
int ControlId(const QWidget* widget);
// The direct child of dialog with this id (the first in Z order), or null.
QWidget* FindControl(const QWidget* dialog, int id);

// The dialog-unit mapping of a widget's font.
DialogUnits DialogUnitsOf(const QWidget* dialog);

}  // namespace boxora

// Lays out dialog's direct children by rules. Returns false (moving nothing)
// when a rule cannot be resolved; a minimized window is left alone.
bool ApplyLayoutRules(QWidget* dialog, const std::vector<LayoutRule>& rules, bool repaint = true);
