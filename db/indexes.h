#pragma once
#include <QList>
#include <QString>
#include <QStringList>

namespace st::db {

// An index the program seeks by. In SQLite an index name is global to the
// file, so the layer knows each one by its table and name and seeks by the
// key columns; the file's own indexes only make the seeks fast.
struct IndexDef {
    QString table;
    QString name;
    QStringList keys;
    // Name of the SQLite index the schema makes for it ("" for the rowid key).
    QString sqliteName() const;
    bool isRowIdKey = false;
};

const QList<IndexDef>& KnownIndexes();
// Case-blind on both names; nullptr when the layer does not know the index.
const IndexDef* FindIndex(const QString& table, const QString& index);

}  // namespace st::db
