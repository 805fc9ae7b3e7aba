// searchtool-build SOURCE.json OUTPUT.db: makes a control-list database.
#include <QCoreApplication>
#include <QTextStream>

#include "tools/builder.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 3) {
        err << "usage: searchtool-build SOURCE.json OUTPUT.db\n";
        return 2;
    }
    try {
        st::tools::BuildDatabaseFromFile(args[1], args[2]);
    } catch (const st::tools::BuildError& e) {
        err << args[1] << ": " << e.text() << "\n";
        return 1;
    }
    return 0;
}
