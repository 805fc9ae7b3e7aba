#include "tools/import/sqlitewriter.h"

#include <sqlite3.h>

#include <QFile>

#include "db/database.h"

namespace st::import {

SqliteWriter::SqliteWriter(const QString& path) {
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) fail(QStringLiteral("cannot create %1").arg(path));
    sqlite3_extended_result_codes(db_, 1);
    // Building an index over many rows is long work too: keep the watchdog fed.
    sqlite3_progress_handler(
        db_, 100000,
        [](void*) {
            NoteProgress();
            return 0;
        },
        nullptr);
    // The file is a temporary one until it is renamed: a crash loses only it.
    exec(
        QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; "
                       "PRAGMA locking_mode=EXCLUSIVE; PRAGMA cache_size=-65536; BEGIN"));
}

SqliteWriter::~SqliteWriter() {
    sqlite3_finalize(insert_);
    sqlite3_close_v2(db_);
}

void SqliteWriter::fail(const QString& what) {
    const QString err =
        db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
    throw WriteError(QStringLiteral("%1: %2").arg(what, err));
}

void SqliteWriter::exec(const QString& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString text = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_free(err);
        throw WriteError(QStringLiteral("%1\nin: %2").arg(text, sql));
    }
}

void SqliteWriter::beginTable(const QString& table, const QStringList& columns) {
    endTable();
    QStringList cols, marks;
    for (const QString& c : columns) {
        cols << st::db::QuoteIdentifier(c);
        marks << QStringLiteral("?");
    }
    const QByteArray sql =
        QStringLiteral("insert into %1 (%2) values (%3)")
            .arg(st::db::QuoteIdentifier(table), cols.join(u','), marks.join(u','))
            .toUtf8();
    if (sqlite3_prepare_v2(db_, sql.constData(), int(sql.size()), &insert_, nullptr) != SQLITE_OK)
        fail(QStringLiteral("cannot write table %1").arg(table));
    table_ = table;
}

void SqliteWriter::insert(const std::vector<Cell>& row) {
    int rc = SQLITE_OK;
    for (size_t i = 0; i < row.size() && rc == SQLITE_OK; ++i) {
        const Cell& c = row[i];
        const int at = int(i) + 1;
        switch (c.kind) {
            case Cell::Null:
                rc = sqlite3_bind_null(insert_, at);
                break;
            case Cell::Integer:
                rc = sqlite3_bind_int64(insert_, at, c.i);
                break;
            case Cell::Real:
                rc = sqlite3_bind_double(insert_, at, c.d);
                break;
            case Cell::Text:
                rc =
                    sqlite3_bind_text64(insert_, at, c.bytes.constData(),
                                        sqlite3_uint64(c.bytes.size()), SQLITE_STATIC, SQLITE_UTF8);
                break;
            case Cell::Blob:
                // A zero-length blob stays a blob, not NULL.
                rc = c.bytes.isEmpty()
                         ? sqlite3_bind_zeroblob(insert_, at, 0)
                         : sqlite3_bind_blob64(insert_, at, c.bytes.constData(),
                                               sqlite3_uint64(c.bytes.size()), SQLITE_STATIC);
                break;
        }
    }
    if (rc == SQLITE_OK) rc = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    sqlite3_clear_bindings(insert_);
    if (rc != SQLITE_DONE) fail(QStringLiteral("cannot write a row of %1").arg(table_));
}

void SqliteWriter::endTable() {
    sqlite3_finalize(insert_);
    insert_ = nullptr;
}

void SqliteWriter::close() {
    endTable();
    exec(QStringLiteral("COMMIT"));
    if (sqlite3_close(db_) != SQLITE_OK) fail(QStringLiteral("cannot close the new database"));
    db_ = nullptr;
}

}  // namespace st::import
