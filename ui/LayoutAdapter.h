#pragma once
// Dialog layout rules applied to Qt widgets. A dialog's child widgets carry
// their control ids as a property; ApplyLayoutRules reads their geometry,
// solves the rules (ui/layout/LayoutRules.h) and moves the touched widgets in
// one batch.
#include <vector>

#include "ui/layout/LayoutRules.h"

class QFont;
class QWidget;

namespace boxora {

// Gives widget a control id; rules find it by that id among its siblings.
void SetControlId(QWidget* widget, int id);
// The control id of widget, 0 when it has none.
int ControlId(const QWidget* widget);
// The direct child widget of dialog with this control id, the topmost one in
// the stacking order when several share it; nullptr when there is none.
QWidget* FindControl(const QWidget* dialog, int id);

// Dialog units of a font, measured as the classic dialog manager does: the
// average width of the 52 letters A–Z and a–z, rounded, and the font height.
DialogUnits DialogUnitsOf(const QFont& font);
DialogUnits DialogUnitsOf(const QWidget* widget);

}  // namespace boxora

// Lays out dialog's direct children that have control ids by rules, with
// dialog units of the dialog's font. Returns the solver's answer; on false no
// widget is moved. A dialog in a minimized window is left alone (true). With
// repaint on, every moved widget is repainted.
bool ApplyLayoutRules(QWidget* dialog, const std::vector<LayoutRule>& rules, bool repaint = true);
