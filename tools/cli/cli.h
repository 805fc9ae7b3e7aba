#pragma once
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace st::cli {

// Exit statuses, as grep has them.
enum Status { kFound = 0, kNothing = 1, kError = 2 };

// The command word of a command line (the first word that is neither an
// option nor an option's value), empty when there is none.
QString CommandOf(const QStringList& args);

// Runs one command line (without the program name). Results go to out,
// messages to err. `show` needs a QApplication; the others a core one.
int Run(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace st::cli
