#pragma once
#include <QApplication>

namespace st::app {

// The framework's default error box: an error that escapes an event handler
// is shown in a message box and ends only the action that raised it.
class Application : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace st::app
