#pragma once
#include <QString>

class QWidget;

namespace st::app {

// Applies the layout texts of a window or frame class from the current
// resource set: "object.property=value" lines, where object is a child's
// objectName (or the class name for the form itself) and property is a Qt
// property ("text", "title", "windowTitle", "toolTip", "placeholderText") or
// "tabN" for the caption of page N of a tab or page control.
void ApplyLayout(QWidget* form, const QString& className);

}  // namespace st::app
