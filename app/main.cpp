#include "app/application.h"
#include "app/startup.h"

int main(int argc, char** argv) {
    st::app::Application app(argc, argv);
    // Closing the main window ends the program; other windows only hide.
    QApplication::setQuitOnLastWindowClosed(false);
    st::app::Program program;
    return program.run(QCoreApplication::applicationFilePath(), app.arguments().mid(1));
}
