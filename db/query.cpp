#include "db/query.h"

#include "db/jetsql.h"
#include "db/unicode.h"

namespace st::db {

void Query::setDatabase(Database* db) {
    close();
    db_ = db;
}

void Query::setSQL(const QString& sql) {
    close();
    sql_ = sql;
}

void Query::addSQL(const QString& line) {
    close();
    if (!sql_.isEmpty()) sql_ += u'\n';
    sql_ += line;
}

void Query::setParam(const QString& name, const QVariant& value) {
    const QString n = name.startsWith(u':') ? name.mid(1) : name;
    params_.insert(n.toLower(), {n, value});
}

QVariant Query::param(const QString& name) const {
    const QString n = name.startsWith(u':') ? name.mid(1) : name;
    return params_.value(n.toLower()).second;
}

QStringList Query::paramNames() const {
    QStringList names;
    QChar quote;
    for (qsizetype i = 0; i < sql_.size(); ++i) {
        const QChar c = sql_[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u':' && i + 1 < sql_.size() &&
                   (sql_[i + 1].isLetter() || sql_[i + 1] == u'_')) {
            qsizetype j = i + 1;
            while (j < sql_.size() && (sql_[j].isLetterOrNumber() || sql_[j] == u'_')) ++j;
            const QString name = sql_.mid(i + 1, j - i - 1);
            if (!names.contains(name, Qt::CaseInsensitive)) names << name;
            i = j - 1;
        }
    }
    return names;
}

QVariant Query::firstParamValue(const QVariant& def) const {
    const QStringList names = paramNames();
    return names.isEmpty() ? def : param(names.first());
}

void Query::setAllParams(const QVariant& value) {
    for (const QString& name : paramNames()) setParam(name, value);
}

void Query::prepare() {
    close();
    if (!db_) throw DbError(QStringLiteral("query has no database connection"));
    auto isText = [this](const QString& p) {
        const auto it = params_.constFind(p.toLower());
        return it != params_.constEnd() && it->second.typeId() == QMetaType::QString;
    };
    if (searchCache_) RefreshSearchColumnCache(db_->handle());
    stmt_ = std::make_unique<Statement>(db_->handle(), TranslateJet(sql_, isText, searchCache_));
    for (int i = 1; i <= stmt_->parameterCount(); ++i) {
        const QString name = stmt_->parameterName(i);
        const auto it = params_.constFind(name.mid(1).toLower());
        if (it == params_.constEnd()) {
            stmt_.reset();
            throw DbError(QStringLiteral("no value given for parameter %1").arg(name));
        }
        stmt_->bind(i, it->second);
    }
    columns_.clear();
    for (int i = 0; i < stmt_->columnCount(); ++i) {
        const QString key = stmt_->columnName(i).toLower();
        if (!columns_.contains(key)) columns_.insert(key, i);  // first of equal names wins
    }
}

void Query::open() {
    prepare();
    try {
        eof_ = !stmt_->step();
    } catch (...) {
        close();
        throw;
    }
}

void Query::close() {
    stmt_.reset();
    columns_.clear();
    eof_ = true;
}

void Query::next() {
    if (!stmt_ || eof_) return;
    eof_ = !stmt_->step();
}

void Query::first() {
    if (!stmt_) return open();
    stmt_->reset();
    try {
        eof_ = !stmt_->step();
    } catch (...) {
        close();
        throw;
    }
}

int Query::fieldIndex(const QString& name) const {
    return columns_.value(name.toLower(), -1);
}

int Query::exec() {
    prepare();
    try {
        while (stmt_->step()) {
        }
    } catch (...) {
        close();
        throw;
    }
    close();
    return db_->changes();
}

int Query::fieldCount() const {
    return stmt_ ? stmt_->columnCount() : 0;
}

QString Query::fieldName(int i) const {
    return stmt_ ? stmt_->columnName(i) : QString();
}

bool Query::hasField(const QString& name) const {
    return columns_.contains(name.toLower());
}

int Query::indexOf(const QString& name) const {
    const auto it = columns_.constFind(name.toLower());
    if (it == columns_.constEnd())
        throw DbError(QStringLiteral("field %1 not found in query result").arg(name));
    return *it;
}

QVariant Query::field(const QString& name) const {
    const int i = indexOf(name);
    return eof_ ? QVariant() : stmt_->value(i);
}

bool Query::onColumn(int i) const {
    return stmt_ && !eof_ && i >= 0 && i < stmt_->columnCount();
}

int Query::intField(int i) const {
    return onColumn(i) ? stmt_->intValue(i) : 0;
}

QString Query::textField(int i) const {
    return onColumn(i) ? stmt_->textValue(i) : QString();
}

QVariant Query::field(int i) const {
    return onColumn(i) ? stmt_->value(i) : QVariant();
}

}  // namespace st::db
