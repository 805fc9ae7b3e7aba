#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "db/database.h"

namespace st::db {

// A long-lived query object in the Jet dialect: its text and parameters are
// replaced between runs, and it is opened and closed again. Fields are read by
// name without regard to case.
class Query {
  public:
    explicit Query(Database* db = nullptr) : db_(db) {}
    Query(Database* db, const QString& sql) : db_(db), sql_(sql) {}

    void setDatabase(Database* db);
    Database* database() const { return db_; }

    // The text; changing it closes the query.
    QString sql() const { return sql_; }
    void setSQL(const QString& sql);
    void clearSQL() { setSQL(QString()); }
    // Appends one line, as the SQL lines of a query component do.
    void addSQL(const QString& line);

    // Search columns matched against the connection's folded copies (for
    // queries over List_Entries alone, such as the quick search).
    void setUseSearchCache(bool on) { searchCache_ = on; }

    // Binds by name (with or without the ':'); the value stays for later runs.
    void setParam(const QString& name, const QVariant& value);
    QVariant param(const QString& name) const;
    // The parameter names of the text, in order of first appearance.
    QStringList paramNames() const;
    // The value of the first parameter, def when the text has none.
    QVariant firstParamValue(const QVariant& def) const;
    // Binds one value to every parameter of the text.
    void setAllParams(const QVariant& value);

    // Runs a row-returning query and stands on its first row (eof() if none).
    void open();
    void close();
    bool isOpen() const { return bool(stmt_); }
    bool eof() const { return eof_; }
    void next();
    // Back to the first row of an open query (runs it again).
    void first();
    // Runs a statement that returns no rows; returns the number of rows changed.
    int exec();

    int fieldCount() const;
    QString fieldName(int i) const;
    bool hasField(const QString& name) const;
    // Column index of a field, -1 when the result has none.
    int fieldIndex(const QString& name) const;
    // Typed reads of a column index on the current row (0 or empty when there is none).
    int intField(int i) const;
    QString textField(int i) const;
    // The current row's value; throws DbError for an unknown field name.
    QVariant field(const QString& name) const;
    QVariant field(int i) const;

  private:
    void prepare();
    int indexOf(const QString& name) const;
    // Stands on a row that has column i.
    bool onColumn(int i) const;

    Database* db_;
    QString sql_;
    QHash<QString, std::pair<QString, QVariant>> params_;  // lower-case name -> (name, value)
    std::unique_ptr<Statement> stmt_;
    QHash<QString, int> columns_;  // lower-case name -> index
    bool eof_ = true;
    bool searchCache_ = false;
};

}  // namespace st::db
