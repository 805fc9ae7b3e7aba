#include "db/tablecursor.h"

#include <sqlite3.h>

namespace st::db {

TableCursor::TableCursor(Database* db, const QString& table, const QString& index)
    : db_(db), table_(table), indexName_(index) {}

TableCursor::~TableCursor() = default;

void TableCursor::setDatabase(Database* db) {
    close();
    db_ = db;
}

void TableCursor::setIndex(const QString& index) {
    const bool wasOpen = open_;
    close();
    indexName_ = index;
    if (wasOpen) open();
}

QString TableCursor::keyList() const {
    QStringList q;
    for (const QString& k : index_->keys) q << QuoteIdentifier(k);
    return q.join(u',');
}

void TableCursor::open() {
    close();
    if (!db_) throw DbError(QStringLiteral("table %1 has no database connection").arg(table_));
    index_ = FindIndex(table_, indexName_);
    if (!index_)
        throw DbError(QStringLiteral("unknown index %1 of table %2").arg(indexName_, table_));
    if (!db_->hasTable(table_)) throw DbError(QStringLiteral("table %1 not found").arg(table_));
    columns_ = db_->columns(table_);
    for (const QString& k : index_->keys)
        if (!columns_.contains(k, Qt::CaseInsensitive))
            throw DbError(QStringLiteral("table %1 has no key column %2").arg(table_, k));
    const QString keys = keyList();
    const QString base =
        QStringLiteral("select rowid,* from %1 where ").arg(QuoteIdentifier(table_));
    const QString order = QStringLiteral(" order by %1,rowid limit 1").arg(keys);
    byRowSt_ = std::make_unique<Statement>(db_->handle(), base + QStringLiteral("rowid=?1"));
    nextSt_ = std::make_unique<Statement>(
        db_->handle(), base +
                           QStringLiteral("(%1,rowid)>(%2?)")
                               .arg(keys, QString("?,").repeated(index_->keys.size())) +
                           order);
    open_ = true;
    hasRow_ = false;
}

void TableCursor::close() {
    seekSt_.reset();
    nextSt_.reset();
    byRowSt_.reset();
    open_ = false;
    hasRow_ = false;
    row_.clear();
    changed_.clear();
    mode_ = Mode::Browse;
}

bool TableCursor::loadFrom(Statement& st) {
    row_.clear();
    hasRow_ = st.step();
    if (hasRow_) {
        rowid_ = st.value(0).toLongLong();
        for (int i = 1; i < st.columnCount(); ++i)
            row_.insert(st.columnName(i).toLower(), st.value(i));
    }
    st.reset();
    return hasRow_;
}

bool TableCursor::seek(const QVariantList& key) {
    if (!open_) open();
    cancel();
    const qsizetype n = std::min<qsizetype>(key.size(), index_->keys.size());
    if (n == 0) return first();
    QStringList cols, marks;
    for (qsizetype i = 0; i < n; ++i) {
        cols << QuoteIdentifier(index_->keys[i]);
        marks << QStringLiteral("?");
    }
    // The statement depends on how many key values are given; keep the last.
    const QString sql =
        QStringLiteral(
            "select rowid,* from %1 where (%2)>=(%3) order by %4,rowid "
            "limit 1")
            .arg(QuoteIdentifier(table_), cols.join(u','), marks.join(u','), keyList());
    if (!seekSt_ || QString::fromUtf8(sqlite3_sql(seekSt_->handle())) != sql)
        seekSt_ = std::make_unique<Statement>(db_->handle(), sql);
    for (qsizetype i = 0; i < n; ++i) seekSt_->bind(int(i + 1), key[i]);
    return loadFrom(*seekSt_);
}

bool TableCursor::findKey(const QVariantList& key) {
    if (!seek(key)) return false;
    for (qsizetype i = 0; i < key.size() && i < index_->keys.size(); ++i) {
        const QVariant v = field(index_->keys[i]);
        if (v.isNull() || v.toString() != key[i].toString()) return false;
    }
    return true;
}

bool TableCursor::first() {
    if (!open_) open();
    cancel();
    Statement st(db_->handle(), QStringLiteral("select rowid,* from %1 order by %2,rowid limit 1")
                                    .arg(QuoteIdentifier(table_), keyList()));
    return loadFrom(st);
}

void TableCursor::next() {
    if (!open_ || !hasRow_) return;
    cancel();
    int i = 1;
    QVariantList cur;
    for (const QString& k : index_->keys) cur << row_.value(k.toLower());
    for (const QVariant& v : cur) nextSt_->bind(i++, v);
    nextSt_->bind(i, rowid_);
    loadFrom(*nextSt_);
}

bool TableCursor::hasField(const QString& name) const {
    return columns_.contains(name, Qt::CaseInsensitive);
}

QString TableCursor::columnOf(const QString& name) const {
    for (const QString& c : columns_)
        if (c.compare(name, Qt::CaseInsensitive) == 0) return c;
    throw DbError(QStringLiteral("table %1 has no field %2").arg(table_, name));
}

QVariant TableCursor::field(const QString& name) const {
    const QString key = columnOf(name).toLower();
    if (mode_ != Mode::Browse && changed_.contains(key)) return changed_.value(key);
    if (mode_ == Mode::Insert) return QVariant();
    return row_.value(key);
}

void TableCursor::edit() {
    if (!hasRow_) throw DbError(QStringLiteral("no current record in %1 to edit").arg(table_));
    changed_.clear();
    mode_ = Mode::Edit;
}

void TableCursor::insert() {
    if (!open_) open();
    changed_.clear();
    mode_ = Mode::Insert;
}

void TableCursor::setField(const QString& name, const QVariant& value) {
    if (mode_ == Mode::Browse) throw DbError(QStringLiteral("%1 is not in edit mode").arg(table_));
    changed_.insert(columnOf(name).toLower(), value);
}

void TableCursor::post() {
    if (mode_ == Mode::Browse) return;
    QStringList cols;
    QVariantList values;
    for (auto it = changed_.cbegin(); it != changed_.cend(); ++it) {
        cols << QuoteIdentifier(columnOf(it.key()));
        values << it.value();
    }
    qint64 target = rowid_;
    if (mode_ == Mode::Insert) {
        QString sql;
        if (cols.isEmpty()) {
            sql = QStringLiteral("insert into %1 default values").arg(QuoteIdentifier(table_));
        } else {
            QStringList marks(cols.size(), QStringLiteral("?"));
            sql = QStringLiteral("insert into %1 (%2) values (%3)")
                      .arg(QuoteIdentifier(table_), cols.join(u','), marks.join(u','));
        }
        Statement st(db_->handle(), sql);
        for (int i = 0; i < values.size(); ++i) st.bind(i + 1, values[i]);
        st.step();
        target = db_->lastInsertRowId();
    } else if (!cols.isEmpty()) {
        QStringList sets;
        for (const QString& c : cols) sets << c + QStringLiteral("=?");
        Statement st(db_->handle(), QStringLiteral("update %1 set %2 where rowid=?")
                                        .arg(QuoteIdentifier(table_), sets.join(u',')));
        int i = 1;
        for (const QVariant& v : values) st.bind(i++, v);
        st.bind(i, rowid_);
        st.step();
    }
    mode_ = Mode::Browse;
    changed_.clear();
    byRowSt_->bind(1, target);
    loadFrom(*byRowSt_);
}

void TableCursor::cancel() {
    mode_ = Mode::Browse;
    changed_.clear();
}

void TableCursor::remove() {
    if (!hasRow_) return;
    cancel();
    QVariantList cur;
    for (const QString& k : index_->keys) cur << row_.value(k.toLower());
    const qint64 gone = rowid_;
    Statement st(db_->handle(),
                 QStringLiteral("delete from %1 where rowid=?").arg(QuoteIdentifier(table_)));
    st.bind(1, gone);
    st.step();
    // Stand on the row that followed the deleted one.
    int i = 1;
    for (const QVariant& v : cur) nextSt_->bind(i++, v);
    nextSt_->bind(i, gone);
    loadFrom(*nextSt_);
}

}  // namespace st::db
