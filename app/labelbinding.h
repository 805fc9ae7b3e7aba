#pragma once

class QLabel;
class QWidget;

namespace st::app {

// A label standing just right of a small check box or radio button works as
// its caption. The partner is the first control of the label's parent that
// strictly contains the probe point half the label's height left of and below
// the label's top-left corner; a partner reaching under the label is narrowed
// to end one pixel before it.
QWidget* LabelPartner(const QLabel* label);
// Binds every label of pap and of all forms and frames inside it.
void SetLabelClick(QWidget* pap);
// The bound labels' click: toggles a check box, selects a radio button.
void LabelClick(QLabel* label);
bool IsLabelBound(const QLabel* label);

}  // namespace st::app
