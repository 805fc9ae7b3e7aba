#include "db/database.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <climits>

#include "db/schema.h"
#include "db/unicode.h"

namespace st::db {

namespace {

QString errorText(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

}  // namespace

// ---- Statement ------------------------------------------------------------

Statement::Statement(sqlite3* db, const QString& sql) : db_(db) {
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt_, nullptr) != SQLITE_OK) {
        const QString err = errorText(db_);
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw DbError(QStringLiteral("%1\nin: %2").arg(err, sql));
    }
    if (!stmt_) throw DbError(QStringLiteral("empty statement: %1").arg(sql));
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void Statement::bind(int index, const QVariant& value) {
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(stmt_, index);
    } else {
        switch (value.typeId()) {
            case QMetaType::Bool:
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Short:
            case QMetaType::Char:
                rc = sqlite3_bind_int64(stmt_, index, value.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(stmt_, index, value.toDouble());
                break;
            case QMetaType::QByteArray: {
                const QByteArray b = value.toByteArray();
                rc = sqlite3_bind_blob64(stmt_, index, b.constData(), sqlite3_uint64(b.size()),
                                         SQLITE_TRANSIENT);
                break;
            }
            default: {
                const QByteArray s = value.toString().toUtf8();
                rc = sqlite3_bind_text64(stmt_, index, s.constData(), sqlite3_uint64(s.size()),
                                         SQLITE_TRANSIENT, SQLITE_UTF8);
            }
        }
    }
    if (rc != SQLITE_OK) throw DbError(errorText(db_));
}

void Statement::bind(const QString& name, const QVariant& value) {
    QString n = name.startsWith(u':') ? name : u':' + name;
    // Parameter names are matched without regard to case, as the provider did.
    for (int i = 1; i <= parameterCount(); ++i)
        if (parameterName(i).compare(n, Qt::CaseInsensitive) == 0) bind(i, value);
}

int Statement::parameterCount() const {
    return sqlite3_bind_parameter_count(stmt_);
}

QString Statement::parameterName(int index) const {
    const char* n = sqlite3_bind_parameter_name(stmt_, index);
    return n ? QString::fromUtf8(n) : QString();
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const QString err = errorText(db_);
    sqlite3_reset(stmt_);
    throw DbError(err);
}

void Statement::reset() {
    sqlite3_reset(stmt_);
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

QString Statement::columnName(int i) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, i));
}

QVariant Statement::value(int i) const {
    switch (sqlite3_column_type(stmt_, i)) {
        case SQLITE_INTEGER: {
            const qint64 v = sqlite3_column_int64(stmt_, i);
            if (v >= INT_MIN && v <= INT_MAX) return QVariant(int(v));
            return QVariant(v);
        }
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(stmt_, i));
        case SQLITE_TEXT:
            return QVariant(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i)),
                                  sqlite3_column_bytes(stmt_, i)));
        case SQLITE_BLOB:
            return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt_, i)),
                                       sqlite3_column_bytes(stmt_, i)));
        default:
            return QVariant();
    }
}

int Statement::intValue(int i) const {
    return sqlite3_column_int(stmt_, i);
}

QString Statement::textValue(int i) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(stmt_, i)) : QString();
}

// ---- Database -------------------------------------------------------------

Database::Database(sqlite3* db, QString path) : db_(db), path_(std::move(path)) {}

Database::~Database() {
    sqlite3_close_v2(db_);
}

void Database::configure() {
    sqlite3_busy_timeout(db_, 10000);
    // Reading the file through a mapping spares a copy of every page read
    // (a whole-list search reads every row's page: a third of its time).
    sqlite3_exec(db_, "PRAGMA mmap_size=2147483648", nullptr, nullptr, nullptr);
    sqlite3_extended_result_codes(db_, 1);
    RegisterUnicodeFunctions(db_);
}

std::unique_ptr<Database> Database::connect(const QString& path, int flags) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
    std::unique_ptr<Database> db(new Database(raw, path));  // closes the handle on failure too
    if (rc != SQLITE_OK) throw DbError(QStringLiteral("%1: %2").arg(path, errorText(raw)));
    db->configure();
    return db;
}

void Database::requireFile(const QString& path) {
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.exists() || !fi.isFile())
        throw DbError(QStringLiteral("database file not found: %1").arg(path));
}

std::unique_ptr<Database> Database::open(const QString& path) {
    requireFile(path);
    auto db = connect(path, SQLITE_OPEN_READWRITE);
    db->requireEntries();
    // Other instances share the file; WAL lets readers and a writer coexist.
    // A read-only file keeps its journal mode.
    sqlite3_exec(db->db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    return db;
}

std::unique_ptr<Database> Database::openReadOnly(const QString& path) {
    requireFile(path);
    auto db = connect(path, SQLITE_OPEN_READONLY);
    sqlite3_exec(db->db_, "PRAGMA query_only=1", nullptr, nullptr, nullptr);
    db->requireEntries();
    return db;
}

void Database::requireEntries() const {
    // The first read proves it is a database and one of ours.
    if (!hasTable(QStringLiteral("List_Entries")))
        throw DbError(QStringLiteral("%1 holds no table List_Entries").arg(path_));
}

std::unique_ptr<Database> Database::create(const QString& path) {
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("will not overwrite existing file %1").arg(path));
    auto db = connect(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    CreateSchema(*db);
    return db;
}

void Database::exec(const QString& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString text = err ? QString::fromUtf8(err) : errorText(db_);
        sqlite3_free(err);
        throw DbError(QStringLiteral("%1\nin: %2").arg(text, sql));
    }
}

int Database::changes() const {
    return sqlite3_changes(db_);
}

qint64 Database::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(db_);
}

bool Database::hasTable(const QString& table) const {
    Statement st(db_,
                 QStringLiteral("select 1 from sqlite_master where type in ('table','view') and "
                                "lower(name)=lower(?1)"));
    st.bind(1, table);
    return st.step();
}

QStringList Database::columns(const QString& table) const {
    Statement st(db_, QStringLiteral("select name from pragma_table_info(?1)"));
    st.bind(1, table);
    QStringList out;
    while (st.step()) out << st.value(0).toString();
    return out;
}

bool Database::hasColumn(const QString& table, const QString& column) const {
    return columns(table).contains(column, Qt::CaseInsensitive);
}

QString Database::lastError() const {
    return errorText(db_);
}

// ---- Transaction ----------------------------------------------------------

Transaction::Transaction(Database& db) : db_(db) {
    db_.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction() {
    if (open_) sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    db_.exec(QStringLiteral("COMMIT"));
    open_ = false;
}

ReadTransaction::ReadTransaction(Database* db) {
    if (db && sqlite3_get_autocommit(db->handle()) &&
        sqlite3_exec(db->handle(), "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK)
        db_ = db;
}

ReadTransaction::~ReadTransaction() {
    if (db_) sqlite3_exec(db_->handle(), "COMMIT", nullptr, nullptr, nullptr);
}

qint64 NextKey(Database& db, const QString& table, const QString& column) {
    Statement st(db.handle(), QStringLiteral("select coalesce(max(%1),0)+1 from %2")
                                  .arg(QuoteIdentifier(column), QuoteIdentifier(table)));
    st.step();
    return st.value(0).toLongLong();
}

QString QuoteIdentifier(const QString& name) {
    QString n = name;
    n.replace(u'"', QStringLiteral("\"\""));
    return u'"' + n + u'"';
}

}  // namespace st::db
