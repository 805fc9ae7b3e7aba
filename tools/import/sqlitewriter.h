#pragma once
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>
#include <vector>

#include "tools/import/accessreader.h"

struct sqlite3;
struct sqlite3_stmt;

namespace st::import {

// The output cannot be written (disk full, no permission, ...).
class WriteError : public std::runtime_error {
  public:
    explicit WriteError(const QString& m) : std::runtime_error(m.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

// A bare SQLite file written in one transaction, for a file nobody else sees
// until it is complete: no journal, no syncing until close().
class SqliteWriter {
  public:
    explicit SqliteWriter(const QString& path);
    ~SqliteWriter();
    SqliteWriter(const SqliteWriter&) = delete;
    SqliteWriter& operator=(const SqliteWriter&) = delete;

    void exec(const QString& sql);
    // Prepares "insert into table (columns...) values (?...)".
    void beginTable(const QString& table, const QStringList& columns);
    void insert(const std::vector<Cell>& row);
    void endTable();
    // Commits and closes; the file is then complete on disk.
    void close();
    sqlite3* handle() const { return db_; }

  private:
    [[noreturn]] void fail(const QString& what);
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    QString table_;
};

}  // namespace st::import
