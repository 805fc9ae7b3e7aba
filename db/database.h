#pragma once
#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>

struct sqlite3;
struct sqlite3_stmt;

namespace st::db {

// Every engine failure reaches the caller as this error, with a readable text.
class DbError : public std::runtime_error {
  public:
    explicit DbError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

// One prepared statement; finalised when it goes out of scope.
class Statement {
  public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QVariant& value);
    void bind(const QString& name, const QVariant& value);
    int parameterCount() const;
    QString parameterName(int index) const;  // with its leading ':'
    // Advances to the next row; false at the end.
    bool step();
    void reset();
    int columnCount() const;
    QString columnName(int i) const;
    QVariant value(int i) const;
    // Typed reads without a QVariant, for loops over many rows.
    int intValue(int i) const;
    QString textValue(int i) const;
    sqlite3_stmt* handle() const { return stmt_; }

  private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// The one connection of a process. Opening never creates a file.
class Database {
  public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing database file for reading and writing.
    static std::unique_ptr<Database> open(const QString& path);
    // Opens an existing database file that this connection never writes.
    static std::unique_ptr<Database> openReadOnly(const QString& path);
    // Makes a new, empty database file with the whole schema.
    static std::unique_ptr<Database> create(const QString& path);

    sqlite3* handle() const { return db_; }
    QString path() const { return path_; }

    // Runs one or more statements that return no rows.
    void exec(const QString& sql);
    int changes() const;
    qint64 lastInsertRowId() const;

    bool hasTable(const QString& table) const;
    bool hasColumn(const QString& table, const QString& column) const;
    // Actual spelling of a table's columns, in table order.
    QStringList columns(const QString& table) const;

    // The error text of the engine for the last failed call.
    QString lastError() const;

  private:
    Database(sqlite3* db, QString path);
    static std::unique_ptr<Database> connect(const QString& path, int flags);
    void configure();
    void requireEntries() const;
    static void requireFile(const QString& path);

    sqlite3* db_;
    QString path_;
};

// BEGIN IMMEDIATE ... COMMIT; rolled back when left without commit().
// Read-then-write work goes inside one, so instances never interleave.
class Transaction {
  public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

  private:
    Database& db_;
    bool open_ = true;
};

// A deferred read transaction: many reads see one snapshot and skip the
// per-statement locking. Does nothing inside an open transaction.
class ReadTransaction {
  public:
    explicit ReadTransaction(Database* db);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

  private:
    Database* db_ = nullptr;
};

// Next free key of an integer column: the largest value + 1 (1 for an empty
// table). Call inside a Transaction.
qint64 NextKey(Database& db, const QString& table, const QString& column);

// An identifier quoted for SQL text ("name", inner quotes doubled).
QString QuoteIdentifier(const QString& name);

}  // namespace st::db
