#include "app/messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

namespace st::app {
namespace {
MessageHook& hook() {
    static MessageHook h;
    return h;
}
}  // namespace

void ShowMessage(const QString& text) {
    if (hook()) return hook()(text);
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

MessageHook SetMessageHook(MessageHook h) {
    return std::exchange(hook(), std::move(h));
}

AppFlags& Flags() {
    static AppFlags f;
    return f;
}

void RequestTermination() {
    Flags().terminated = true;
    // Quitting outside the loop would make every later modal loop return at once.
    if (Flags().loopRunning) QCoreApplication::exit(0);
}

BusyCursor::BusyCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    restore();
}

void BusyCursor::restore() {
    if (!active_) return;
    active_ = false;
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace st::app
