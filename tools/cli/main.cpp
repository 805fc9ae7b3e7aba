// searchtool-cli: the searches and the composition of the desktop program,
// for scripts and for the record.
#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>

#include "tools/cli/cli.h"

namespace {
// Standard error carries this program's own messages; Qt's notes about the
// environment (no runtime folder, no screen) are not the user's business.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "searchtool-cli: %s\n", qPrintable(text));
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("ST_CLI_QT_MESSAGES")) qInstallMessageHandler(QuietQtMessages);
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    // Only the composition needs the widgets; it runs without a screen.
    std::unique_ptr<QCoreApplication> app;
    if (st::cli::CommandOf(args) == u"show") {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout), err(stderr);
    const int status = st::cli::Run(args, out, err);
    out.flush();
    err.flush();
    return status;
}
