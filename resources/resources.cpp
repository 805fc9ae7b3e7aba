#include "resources/resources.h"

#include <QFile>

namespace st::resources {
bool HasOwnResourceSet() {
    return QFile::exists(QStringLiteral(":/builtin/STRINGS/LOCAL_WORDS"));
}
}  // namespace st::resources
