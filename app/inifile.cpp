#include "app/inifile.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QStringList>

#include "text/codepage.h"

namespace st::app {
namespace {

struct Parsed {
    QStringList lines;
    QString eol = QStringLiteral("\n");
};

Parsed load(const QString& path) {
    Parsed p;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return p;
    const QByteArray bytes = f.readAll();
    if (bytes.contains("\r\n")) p.eol = QStringLiteral("\r\n");
    QString text = st::text::decodeText(bytes, true);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    p.lines = text.split(u'\n');
    if (!p.lines.isEmpty() && p.lines.back().isEmpty()) p.lines.removeLast();
    return p;
}

bool sectionName(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (!t.startsWith(u'[')) return false;
    const qsizetype close = t.indexOf(u']');
    if (close < 0) return false;
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool keyValue(const QString& line, QString* key, QString* value) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';')) return false;
    const qsizetype eq = t.indexOf(u'=');
    if (eq < 0) return false;
    *key = t.left(eq).trimmed();
    QString v = t.mid(eq + 1).trimmed();
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    *value = v;
    return true;
}

// Line index of the key (or -1), and of the section header (or -1).
void locate(const QStringList& lines, const QString& section, const QString& key,
            qsizetype* sectionLine, qsizetype* keyLine, qsizetype* lastLine) {
    *sectionLine = *keyLine = *lastLine = -1;
    bool inside = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString name, k, v;
        if (sectionName(lines[i], &name)) {
            if (inside) return;  // first matching section only
            inside = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inside) *sectionLine = *lastLine = i;
            continue;
        }
        if (!inside) continue;
        if (!lines[i].trimmed().isEmpty()) *lastLine = i;
        if (keyValue(lines[i], &k, &v) && k.compare(key, Qt::CaseInsensitive) == 0 && *keyLine < 0)
            *keyLine = i;
    }
}

}  // namespace

bool ParseProfileInteger(const QString& text, int* out) {
    const QString t = text.trimmed();
    bool ok = false;
    if (t.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive) || t.startsWith(u'$')) {
        // Hexadecimal spells all 32 bits, so 0xFFFFFFFF is -1.
        const uint v = t.mid(t.startsWith(u'$') ? 1 : 2).toUInt(&ok, 16);
        if (ok) *out = int(v);
        return ok;
    }
    const int v = t.toInt(&ok, 10);
    if (ok) *out = v;
    return ok;
}

IniFile::IniFile(const QString& path) : path_(path) {}

QString IniFile::currentPath() {
    return QDir::currentPath() + QStringLiteral("/SearchTool.ini");
}

IniFile IniFile::current() {
    return IniFile(currentPath());
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const Parsed p = load(path_);
    qsizetype s, k, last;
    locate(p.lines, section, key, &s, &k, &last);
    if (k < 0) return def;
    QString name, value;
    keyValue(p.lines[k], &name, &value);
    return value;
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    const Parsed p = load(path_);
    qsizetype s, k, last;
    locate(p.lines, section, key, &s, &k, &last);
    return k >= 0;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
    int v = 0;
    return ParseProfileInteger(readString(section, key), &v) ? v : def;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    QLockFile lock(path_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(10000)) return false;
    Parsed p = load(path_);
    qsizetype s, k, last;
    locate(p.lines, section, key, &s, &k, &last);
    const QString line = key + u'=' + value;
    if (k >= 0) {
        QString name, old;
        keyValue(p.lines[k], &name, &old);
        p.lines[k] = name + u'=' + value;  // keep the key as spelled in the file
    } else if (s >= 0) {
        p.lines.insert(last + 1, line);
    } else {
        if (!p.lines.isEmpty() && !p.lines.back().trimmed().isEmpty()) p.lines << QString();
        p.lines << u'[' + section + u']' << line;
    }
    QSaveFile out(path_);
    if (!out.open(QIODevice::WriteOnly)) return false;
    out.write((p.lines.join(p.eol) + p.eol).toUtf8());
    return out.commit();
}

bool IniFile::writeInteger(const QString& section, const QString& key, int value) {
    return writeString(section, key, QString::number(value));
}

}  // namespace st::app
