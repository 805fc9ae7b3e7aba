#include "tools/import/accessprobe.h"

#include <QFile>

#include "db/connstring.h"

namespace st::import {
namespace {

constexpr int kHeaderBytes = 0x15;

QString formatName(int version) {
    switch (version) {
        case 0:
            return QStringLiteral("Jet 3 (Access 97)");
        case 1:
            return QStringLiteral("Jet 4 (Access 2000-2003)");
        case 2:
            return QStringLiteral("ACE 12 (Access 2007)");
        case 3:
            return QStringLiteral("ACE 14 (Access 2010)");
        case 4:
            return QStringLiteral("ACE 15 (Access 2013)");
        case 5:
            return QStringLiteral("ACE 16 (Access 2016)");
        case 6:
            return QStringLiteral("ACE 17 (Access 2019)");
        default:
            return QStringLiteral("unknown version %1").arg(version);
    }
}

}  // namespace

AccessHeader ProbeAccessFile(const QString& path) {
    AccessHeader h;
    QFile f(path);
    if (!f.exists()) {
        h.problem = QStringLiteral("no such file");
        return h;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        h.problem = QStringLiteral("cannot read it: %1").arg(f.errorString());
        return h;
    }
    const QByteArray head = f.read(kHeaderBytes);
    if (head.size() < kHeaderBytes || !st::db::LooksLikeAccessFile(path)) {
        h.problem = QStringLiteral(
            "not an Access database (no \"Standard Jet DB\" or "
            "\"Standard ACE DB\" header)");
        return h;
    }
    h.version = static_cast<unsigned char>(head.at(0x14));
    h.format = formatName(h.version);
    if (h.version > 6) {
        h.problem = QStringLiteral("Access format of an unknown version (%1)").arg(h.version);
        return h;
    }
    h.pageSize = h.version == 0 ? 2048 : 4096;
    const qint64 size = f.size();
    // Jet writes whole pages; anything else is a cut copy. The first pages
    // (header and catalog) must be there for anything to be read.
    if (size % h.pageSize != 0 || size < 3 * h.pageSize) {
        h.problem = QStringLiteral(
                        "the file is truncated or damaged (%1 bytes is not a whole "
                        "number of %2-byte pages)")
                        .arg(size)
                        .arg(h.pageSize);
        return h;
    }
    h.ok = true;
    return h;
}

}  // namespace st::import
