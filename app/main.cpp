#include <QApplication>

#include "app/startup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    st::app::Program program;
    return program.run(QCoreApplication::applicationFilePath(), app.arguments().mid(1));
}
