#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "db/database.h"
#include "db/indexes.h"

namespace st::db {

// A table opened on a named index: keyed seeks, walking in index order, and
// editing, inserting and deleting the current record.
class TableCursor {
  public:
    TableCursor(Database* db, const QString& table, const QString& index = "PrimaryKey");
    ~TableCursor();

    void setDatabase(Database* db);
    QString table() const { return table_; }
    // Switches the index; keeps the cursor closed or open as it was.
    void setIndex(const QString& index);

    // Throws DbError when the table or the index is unknown.
    void open();
    void close();
    bool isOpen() const { return open_; }

    // First row whose key equals the values, or the first after them (fewer
    // values than key columns compare the leading columns). False at the end.
    bool seek(const QVariantList& key);
    bool seek(const QVariant& key) { return seek(QVariantList{key}); }
    // Seek, true only on a row whose key equals the values given.
    bool findKey(const QVariantList& key);
    bool first();
    void next();
    bool eof() const { return !hasRow_; }

    bool hasField(const QString& name) const;
    QVariant field(const QString& name) const;

    // Editing: edit() or insert(), then setField() and post(); cancel() drops it.
    void edit();
    void insert();
    void setField(const QString& name, const QVariant& value);
    // Writes the record; after an insert the cursor stands on the new row with
    // the key the database assigned.
    void post();
    void cancel();
    bool editing() const { return mode_ != Mode::Browse; }
    // Deletes the current row and moves to the next one.
    void remove();

  private:
    enum class Mode { Browse, Edit, Insert };
    bool loadFrom(Statement& st);
    QString columnOf(const QString& name) const;
    QString keyList() const;

    Database* db_;
    QString table_;
    QString indexName_;
    const IndexDef* index_ = nullptr;
    bool open_ = false;
    QStringList columns_;
    std::unique_ptr<Statement> seekSt_, nextSt_, byRowSt_;
    bool hasRow_ = false;
    qint64 rowid_ = 0;
    QHash<QString, QVariant> row_;      // lower-case column -> value
    QHash<QString, QVariant> changed_;  // lower-case column -> new value
    Mode mode_ = Mode::Browse;
};

}  // namespace st::db
