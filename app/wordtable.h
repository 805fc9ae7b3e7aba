#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace st::app {

// The word table of a resource set: "key=value" lines. A byte-order mark
// selects UTF-8 or UTF-16, otherwise windows-1251. Keys match without regard
// to case; a value keeps its leading and trailing spaces; an empty value
// counts as no value.
class WordTable {
  public:
    static WordTable parse(const QByteArray& bytes);
    // Non-empty value for the key, or nothing.
    std::optional<QString> value(const QString& key) const;
    qsizetype size() const { return pairs_.size(); }

  private:
    QList<std::pair<QString, QString>> pairs_;
};

// A window's layout texts: "object.property=value" lines, encoded as the
// word table is; "\n" in a value stands for a line break.
struct LayoutText {
    QString object;
    QString property;
    QString value;
};
QList<LayoutText> ParseLayout(const QByteArray& bytes);
// The layout of a window or frame class from the current resource set.
QList<LayoutText> LoadLayout(const QString& className);
// One text of a layout, or def.
QString LayoutValue(const QList<LayoutText>& layout, const QString& object, const QString& property,
                    const QString& def = QString());

}  // namespace st::app
