#include "app/wordtable.h"

#include <QStringList>

#include "app/resourceset.h"
#include "text/codepage.h"

namespace st::app {
namespace {

QStringList lines(const QByteArray& bytes) {
    QString text = st::text::decodeText(bytes, false);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.split(u'\n');
}

}  // namespace

WordTable WordTable::parse(const QByteArray& bytes) {
    WordTable t;
    for (const QString& line : lines(bytes)) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) continue;
        t.pairs_.append({line.left(eq).trimmed(), line.mid(eq + 1)});
    }
    return t;
}

std::optional<QString> WordTable::value(const QString& key) const {
    for (const auto& [k, v] : pairs_)
        if (k.compare(key, Qt::CaseInsensitive) == 0) {
            if (v.isEmpty()) return std::nullopt;
            return v;
        }
    return std::nullopt;
}

QList<LayoutText> ParseLayout(const QByteArray& bytes) {
    QList<LayoutText> out;
    for (const QString& line : lines(bytes)) {
        if (line.trimmed().startsWith(u'#')) continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) continue;
        const QString target = line.left(eq).trimmed();
        const qsizetype dot = target.lastIndexOf(u'.');
        if (dot <= 0) continue;
        QString value = line.mid(eq + 1);
        value.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
        out.append({target.left(dot), target.mid(dot + 1), value});
    }
    return out;
}

QList<LayoutText> LoadLayout(const QString& className) {
    const auto bytes = ResourceSet::current().find(QStringLiteral("LAYOUT"), className);
    return bytes ? ParseLayout(*bytes) : QList<LayoutText>();
}

QString LayoutValue(const QList<LayoutText>& layout, const QString& object, const QString& property,
                    const QString& def) {
    for (const LayoutText& t : layout)
        if (t.object.compare(object, Qt::CaseInsensitive) == 0 &&
            t.property.compare(property, Qt::CaseInsensitive) == 0)
            return t.value;
    return def;
}

}  // namespace st::app
