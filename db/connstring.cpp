#include "db/connstring.h"

#include <QFile>

namespace st::db {

namespace {
const QString kKey = QStringLiteral("Data Source=");
}

QString ResolveDbPath(const QString& dbName, const QString& currentDir) {
    if (dbName.contains(u'\\') || dbName.contains(u'/')) return dbName;
    return currentDir + u'/' + dbName;
}

QString ReplaceDataSource(const QString& connection, const QString& path) {
    const qsizetype at = connection.indexOf(kKey, 0, Qt::CaseInsensitive);
    if (at < 0) return connection + u';' + kKey + path;
    const qsizetype valueStart = at + kKey.size();
    const qsizetype semi = connection.indexOf(u';', valueStart);
    QString out = connection.left(valueStart) + path;
    if (semi >= 0) out += connection.mid(semi);
    return out;
}

QString DataSourceOf(const QString& connection) {
    const qsizetype at = connection.indexOf(kKey, 0, Qt::CaseInsensitive);
    if (at < 0) return QString();
    const qsizetype valueStart = at + kKey.size();
    const qsizetype semi = connection.indexOf(u';', valueStart);
    return connection.mid(valueStart, semi < 0 ? -1 : semi - valueStart);
}

bool LooksLikeAccessFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(32);
    return head.size() >= 19 && head.at(0) == 0 &&
           (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
}

}  // namespace st::db
