#include "app/application.h"

#include <exception>

#include "app/messages.h"

namespace st::app {

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowMessage(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowMessage(QStringLiteral("Unexpected error"));
    }
    return false;
}

}  // namespace st::app
