#include "tools/import/importer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <cstdio>

#include "db/database.h"
#include "search/codeformat.h"
#include "text/fold.h"
#include "text/rtfreader.h"
#include "tools/import/accessprobe.h"
#include "tools/import/olepicture.h"
#include "tools/import/sqlitewriter.h"

namespace st::import {
namespace {

using st::db::QuoteIdentifier;

bool same(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int columnIndex(const TableDef& t, const QString& name) {
    for (int i = 0; i < t.columns.size(); ++i)
        if (same(t.columns[i].name, name)) return i;
    return -1;
}

// Declared types give each column the affinity that keeps its values as read.
QString declaredType(int type) {
    switch (JetType(type)) {
        case JetType::Bool:
        case JetType::Byte:
        case JetType::Int:
        case JetType::Long:
        case JetType::Complex:
            return QStringLiteral("integer");
        case JetType::Money:
        case JetType::Float:
        case JetType::Double:
            return QStringLiteral("real");
        case JetType::DateTime:
        case JetType::ExtDateTime:
            return QStringLiteral("datetime");
        case JetType::Text:
        case JetType::Memo:
        case JetType::Guid:
            return QStringLiteral("text");
        case JetType::Binary:
        case JetType::Ole:
            return QStringLiteral("blob");
        case JetType::Numeric:
            return QString();  // no affinity: long decimals stay exact text
    }
    return QStringLiteral("blob");
}

bool isIntegerType(int type) {
    return type == int(JetType::Byte) || type == int(JetType::Int) || type == int(JetType::Long);
}

// How one plain column is formed from its rich twin.
struct PlainRule {
    enum Kind { Entry, Synonym, CommentText, CommentHead };
    Kind kind;
    int target = -1;   // column written
    int source = -1;   // rich column read
    int synKind = -1;  // SYNONYM.SYN_NUMBER
};

struct TablePlan {
    QString outName;
    QStringList columns;  // output columns: the Access ones, then added plain ones
    QString createSql;
    QList<PlainRule> plain;
    int pictureColumn = -1;
    int pictureExtColumn = -1;
    QString pictureFixedExt;  // when the table has no extension column
};

// The program's entry queries read these columns in document order; with
// them all in one index a search never reaches the table for the entries it
// leaves out. Added only where every column is there and the name is free.
void addTreeIndex(SqliteWriter& out, const QList<TablePlan>& plans, ImportSummary& sum) {
    static const QStringList keys = {"Sort_list",  "Sort_Num",    "Revision_ID", "Parent_ID",
                                     "Entry_type", "Picture_key", "List_Title"};
    for (const TablePlan& plan : plans) {
        if (plan.outName.compare(u"List_Entries", Qt::CaseInsensitive) != 0) continue;
        QStringList cols;
        for (const QString& k : keys) {
            const auto it = std::find_if(
                plan.columns.begin(), plan.columns.end(),
                [&](const QString& c) { return c.compare(k, Qt::CaseInsensitive) == 0; });
            if (it == plan.columns.end()) return;
            cols << QuoteIdentifier(*it);
        }
        try {
            out.exec(QStringLiteral("create index List_Entries_Tree on %1 (%2)")
                         .arg(QuoteIdentifier(plan.outName), cols.join(u',')));
            ++sum.indexes;
            sum.added << QStringLiteral(
                "index List_Entries_Tree on List_Entries, for the program's entry queries");
        } catch (const WriteError& e) {
            sum.skipped << QStringLiteral(
                               "index List_Entries_Tree for the program's entry "
                               "queries: %1")
                               .arg(e.text().section(u'\n', 0, 0));
        }
        return;
    }
}

QString plainOfRich(const Cell& c) {
    if (c.kind == Cell::Null) return QString();
    QByteArray bytes = c.bytes;
    if (!bytes.isEmpty() && bytes.back() == '\0') bytes.chop(1);
    return st::text::RtfPlainText(bytes);
}

void applyPlainRules(const QList<PlainRule>& rules, std::vector<Cell>& row) {
    for (const PlainRule& r : rules) {
        const Cell& rich = row[size_t(r.source)];
        Cell& out = row[size_t(r.target)];
        const QString p = plainOfRich(rich);
        switch (r.kind) {
            case PlainRule::Entry:
                // As the builder stores them: one blank at each end, NULL for no text.
                if (p.isEmpty())
                    out.setNull();
                else
                    out.setText(st::text::MakePlaneString(u' ' + p + u' '));
                break;
            case PlainRule::Synonym: {
                // As the synonym panel saves them: customs codes in their code form.
                const Cell& k = row[size_t(r.synKind)];
                if (k.kind == Cell::Integer && k.i == 2)
                    out.setText(st::search::NormalizeUKTCodes(p));
                else
                    out.setText(st::text::MakePlaneString(u' ' + p + u' '));
                break;
            }
            case PlainRule::CommentText:
                out.setText(st::text::MakePlaneString(u' ' + p + u' '));
                break;
            case PlainRule::CommentHead: {
                QString head = p.left(140);
                for (QChar& ch : head)
                    if (ch.unicode() < 32) ch = u' ';
                out.setText(head);
                break;
            }
        }
    }
}

// The plain columns the searches match, each with the rich column it mirrors.
QList<PlainRule> plainRulesFor(const TableDef& t, QStringList& columns, ImportSummary& sum) {
    struct Want {
        const char* table;
        const char* plain;
        const char* rich;
        PlainRule::Kind kind;
    };
    static const Want wants[] = {
        {"List_Entries", "Plain_Title", "Rich_Title", PlainRule::Entry},
        {"List_Entries", "Plain_Text", "Rich_Text", PlainRule::Entry},
        {"List_Entries", "Plain_After", "Rich_After", PlainRule::Entry},
        {"SYNONYM", "Plain_Text", "TEXT", PlainRule::Synonym},
        {"Comments", "plain_text", "rich_text", PlainRule::CommentText},
        {"Comments", "plain_head", "rich_text", PlainRule::CommentHead},
    };
    QList<PlainRule> rules;
    for (const Want& w : wants) {
        if (!same(t.name, QString::fromLatin1(w.table))) continue;
        const QString where = QStringLiteral("%1.%2").arg(t.name, QLatin1String(w.plain));
        PlainRule r{w.kind};
        r.source = columnIndex(t, QLatin1String(w.rich));
        if (r.source < 0) {
            sum.skipped << QStringLiteral("%1 not recomputed: the table has no column %2")
                               .arg(where, QLatin1String(w.rich));
            continue;
        }
        if (w.kind == PlainRule::Synonym) {
            r.synKind = columnIndex(t, QStringLiteral("SYN_NUMBER"));
            if (r.synKind < 0) {
                sum.skipped << QStringLiteral(
                                   "%1 not recomputed: the table has no column "
                                   "SYN_NUMBER")
                                   .arg(where);
                continue;
            }
        }
        r.target = -1;
        for (int i = 0; i < columns.size(); ++i)
            if (same(columns[i], QString::fromLatin1(w.plain))) r.target = i;
        if (r.target < 0) {
            // A missing plain column is added, so the searches find the rows.
            columns << QLatin1String(w.plain);
            r.target = int(columns.size()) - 1;
            sum.warnings << QStringLiteral("%1 did not exist; added and filled").arg(where);
        }
        rules << r;
    }
    return rules;
}

TablePlan planTable(const TableDef& t, const QString& outName, const QList<IndexPlan>& indexes,
                    const ImportOptions& o, ImportSummary& sum) {
    TablePlan p;
    p.outName = outName;
    for (const ColumnDef& c : t.columns) p.columns << c.name;
    if (o.recomputePlain) p.plain = plainRulesFor(t, p.columns, sum);
    if (o.unwrapPictures) {
        if (same(t.name, u"List_pictures")) {
            p.pictureColumn = columnIndex(t, QStringLiteral("Picture"));
            p.pictureExtColumn = columnIndex(t, QStringLiteral("PictureExt"));
            if (p.pictureColumn >= 0 && p.pictureExtColumn < 0)
                sum.warnings << QStringLiteral(
                                    "%1 has no column PictureExt: pictures are taken "
                                    "out of OLE wrappers whatever their format")
                                    .arg(t.name);
        } else if (same(t.name, u"PictureOrigins")) {
            p.pictureColumn = columnIndex(t, QStringLiteral("PictureOrigin_ico"));
            p.pictureFixedExt = QStringLiteral(".BMP");  // the origin icons are bitmaps
        }
        if (p.pictureColumn >= 0 && t.columns[p.pictureColumn].type != int(JetType::Ole) &&
            t.columns[p.pictureColumn].type != int(JetType::Binary))
            p.pictureColumn = -1;
    }
    // The primary key: one ascending integer column becomes the rowid, as in
    // the program's own schema; anything else a table constraint.
    const IndexDef* pk = nullptr;
    for (int i = 0; i < t.indexes.size(); ++i)
        if (indexes[i].action == IndexPlan::PrimaryKey) pk = &t.indexes[i];
    const bool rowidKey = pk && pk->keys.size() == 1 && !pk->keys[0].descending &&
                          isIntegerType(t.columns[pk->keys[0].column].type);
    QStringList defs;
    for (int i = 0; i < p.columns.size(); ++i) {
        const QString type =
            i < t.columns.size() ? declaredType(t.columns[i].type) : QStringLiteral("text");
        QString def = QuoteIdentifier(p.columns[i]);
        if (!type.isEmpty()) def += u' ' + type;
        if (rowidKey && i == pk->keys[0].column)
            def =
                QuoteIdentifier(p.columns[i]) +
                QStringLiteral(" integer constraint %1 primary key").arg(QuoteIdentifier(pk->name));
        defs << def;
    }
    if (pk && !rowidKey) {
        QStringList keys;
        for (const IndexKey& k : pk->keys)
            keys << QuoteIdentifier(p.columns[k.column]) + (k.descending ? " desc" : "");
        defs << QStringLiteral("constraint %1 primary key (%2)")
                    .arg(QuoteIdentifier(pk->name), keys.join(u','));
    }
    p.createSql = QStringLiteral("create table %1 (\n  %2\n)")
                      .arg(QuoteIdentifier(outName), defs.join(QStringLiteral(",\n  ")));
    return p;
}

void syncPath(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Keeps the temporary file until the import is done; removes it otherwise.
class TempOutput {
  public:
    TempOutput(const QFileInfo& target, const std::function<void(const QString&)>& report)
        : report_(report) {
        QTemporaryFile t(target.absoluteFilePath() + QStringLiteral(".importing-XXXXXX"));
        t.setAutoRemove(false);
        if (!t.open())
            throw ImportError(ImportError::Usage, QStringLiteral("cannot write in %1: %2")
                                                      .arg(target.absolutePath(), t.errorString()));
        path_ = t.fileName();
        // A temporary file is private; the database gets the usual rights.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(QFile::encodeName(path_).constData(), 0666 & ~mask);
        if (report_) report_(path_);
    }
    ~TempOutput() {
        if (path_.isEmpty()) return;
        QFile::remove(path_);
        if (report_) report_(QString());
    }
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;
    const QString& path() const { return path_; }

    // Moves the file to its name in one step (replacing what is there).
    void commit(const QString& target) {
        syncPath(path_, O_RDONLY);
        if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(target).constData()))
            throw ImportError(ImportError::Usage, QStringLiteral("cannot rename %1 to %2: %3")
                                                      .arg(path_, target, qt_error_string(errno)));
        path_.clear();
        if (report_) report_(QString());
        syncPath(QFileInfo(target).absolutePath(), O_RDONLY | O_DIRECTORY);
    }

  private:
    QString path_;
    std::function<void(const QString&)> report_;
};

}  // namespace

QList<QList<IndexPlan>> PlanIndexes(const QList<TableDef>& tables) {
    QList<QList<IndexPlan>> plans;
    QSet<QString> tableNames;
    QHash<QString, int> uses;
    for (const TableDef& t : tables) tableNames.insert(t.name.toLower());
    for (const TableDef& t : tables) {
        QList<IndexPlan> list;
        bool havePk = false;
        for (const IndexDef& idx : t.indexes) {
            IndexPlan p;
            if (idx.relationship) {
                p.reason = QStringLiteral(
                    "foreign-key reference of a relationship, not an index "
                    "of its own");
            } else if (idx.keys.isEmpty()) {
                p.reason = QStringLiteral("its key columns cannot be read (libmdb gives none)");
            } else if (idx.primary && !havePk) {
                p.action = IndexPlan::PrimaryKey;
                havePk = true;
            } else {
                p.action = IndexPlan::Create;
                ++uses[idx.name.toLower()];
            }
            list << p;
        }
        plans << list;
    }
    QSet<QString> taken = tableNames;
    for (int ti = 0; ti < tables.size(); ++ti) {
        for (int ii = 0; ii < tables[ti].indexes.size(); ++ii) {
            IndexPlan& p = plans[ti][ii];
            if (p.action != IndexPlan::Create) continue;
            const QString name = tables[ti].indexes[ii].name;
            const bool reserved = name.startsWith(u"sqlite_", Qt::CaseInsensitive);
            QString candidate =
                uses.value(name.toLower()) == 1 && !reserved && !tableNames.contains(name.toLower())
                    ? name
                    : tables[ti].name + u'_' + name;
            const QString base = candidate;
            for (int k = 2; taken.contains(candidate.toLower()); ++k)
                candidate = base + u'_' + QString::number(k);
            taken.insert(candidate.toLower());
            p.sqliteName = candidate;
        }
    }
    return plans;
}

namespace {

void checkTarget(const ImportOptions& o) {
    const QFileInfo source(o.source), target(o.target);
    if (o.target.isEmpty())
        throw ImportError(ImportError::Usage, QStringLiteral("no output file given"));
    if (target.exists() && source.exists() &&
        target.canonicalFilePath() == source.canonicalFilePath())
        throw ImportError(ImportError::Usage,
                          QStringLiteral("the output %1 is the input file").arg(o.target));
    if (target.exists() && !o.force)
        throw ImportError(ImportError::Usage,
                          QStringLiteral("%1 exists; give --force to replace it").arg(o.target));
    if (target.exists() && !target.isFile())
        throw ImportError(ImportError::Usage,
                          QStringLiteral("%1 exists and is not a file").arg(o.target));
    if (!target.absoluteDir().exists())
        throw ImportError(
            ImportError::Usage,
            QStringLiteral("the folder %1 does not exist").arg(target.absolutePath()));
}

// Names libmdb read from a damaged catalog come out empty or twice.
void checkNames(const QList<TableDef>& tables) {
    QSet<QString> seenTables;
    for (const TableDef& t : tables) {
        if (t.name.trimmed().isEmpty() || seenTables.contains(t.name.toLower()))
            throw ImportError(ImportError::Input,
                              QStringLiteral("table names are empty or repeated (\"%1\"): the file "
                                             "is damaged")
                                  .arg(t.name));
        seenTables.insert(t.name.toLower());
        QSet<QString> seen;
        for (const ColumnDef& c : t.columns) {
            if (c.name.trimmed().isEmpty() || seen.contains(c.name.toLower()))
                throw ImportError(ImportError::Input,
                                  QStringLiteral("table %1 has a column name that is empty or "
                                                 "repeated (\"%2\"): the file is damaged")
                                      .arg(t.name, c.name));
            seen.insert(c.name.toLower());
        }
    }
}

}  // namespace

ImportSummary ImportAccessDatabase(const ImportOptions& o) {
    if (o.source.isEmpty())
        throw ImportError(ImportError::Usage, QStringLiteral("no input file given"));
    if (!QFileInfo::exists(o.source))
        throw ImportError(ImportError::Input, QStringLiteral("%1: no such file").arg(o.source));
    if (!IsKnownCodepage(o.codepage))
        throw ImportError(
            ImportError::Usage,
            QStringLiteral("unknown code page \"%1\" (try windows-1251, windows-1252, "
                           "CP866, ISO-8859-5)")
                .arg(o.codepage));
    checkTarget(o);
    std::unique_ptr<AccessReader> reader;
    try {
        reader = std::make_unique<AccessReader>(o.source, o.codepage);
    } catch (const ReadError& e) {
        throw ImportError(ImportError::Input, e.text());
    }
    return ImportTables(*reader, o);
}

ImportSummary ImportTables(TableSource& source, const ImportOptions& o) {
    checkTarget(o);
    ImportSummary sum;
    TableSource* reader = &source;
    checkNames(reader->tables());
    sum.format = reader->format();
    if (reader->isJet3()) sum.codepage = o.codepage;
    sum.skipped << reader->skippedObjects();
    const QList<TableDef>& tables = reader->tables();
    const QList<QList<IndexPlan>> indexPlans = PlanIndexes(tables);

    auto progress = [&](const ImportProgress& p) {
        if (o.progress && !o.progress(p))
            throw ImportError(ImportError::Cancelled,
                              QStringLiteral("interrupted; no output was written"));
    };

    TempOutput temp(QFileInfo(o.target), o.tempFile);
    try {
        SqliteWriter out(temp.path());
        QList<TablePlan> plans;
        for (int ti = 0; ti < tables.size(); ++ti) {
            QString name = tables[ti].name;
            if (name.startsWith(u"sqlite_", Qt::CaseInsensitive)) {
                // SQLite keeps such names for itself.
                const QString was = name;
                name = QStringLiteral("access_") + name;
                sum.renamed << QStringLiteral("table %1 -> %2").arg(was, name);
            }
            plans << planTable(tables[ti], name, indexPlans[ti], o, sum);
            out.exec(plans.back().createSql);
        }
        for (int ti = 0; ti < tables.size(); ++ti) {
            const TableDef& t = tables[ti];
            const TablePlan& plan = plans[ti];
            ImportedTable done{plan.outName};
            ImportProgress pr{ImportProgress::TableStarted, plan.outName, ti + 1,
                              int(tables.size())};
            progress(pr);
            out.beginTable(plan.outName, plan.columns);
            QStringList problems;
            int keptPictures = 0;
            auto sink = [&](std::vector<Cell>& row) {
                row.resize(size_t(plan.columns.size()));
                if (plan.pictureColumn >= 0) {
                    Cell& pic = row[size_t(plan.pictureColumn)];
                    if (pic.kind == Cell::Blob) {
                        QString ext = plan.pictureFixedExt;
                        if (plan.pictureExtColumn >= 0) {
                            const Cell& e = row[size_t(plan.pictureExtColumn)];
                            ext = e.kind == Cell::Text ? QString::fromUtf8(e.bytes) : QString();
                        }
                        UnwrappedPicture u = UnwrapPicture(pic.bytes, ext);
                        if (u.kind == UnwrappedPicture::Unwrapped) {
                            pic.bytes = std::move(u.data);
                            ++sum.picturesUnwrapped;
                        } else if (u.kind == UnwrappedPicture::Kept && ++keptPictures <= 5) {
                            problems << QStringLiteral("%1.%2, row %3: kept as stored: %4")
                                            .arg(t.name, t.columns[plan.pictureColumn].name)
                                            .arg(done.rows + 1)
                                            .arg(u.detail);
                        }
                    }
                }
                if (!plan.plain.isEmpty()) {
                    applyPlainRules(plan.plain, row);
                    sum.plainRecomputed += plan.plain.size();
                }
                for (const Cell& c : row) done.blobs += c.kind == Cell::Blob;
                out.insert(row);
                if (++done.rows % 5000 == 0) {
                    pr.stage = ImportProgress::Rows;
                    pr.rows = done.rows;
                    pr.blobs = done.blobs;
                    progress(pr);
                }
                return true;
            };
            try {
                reader->readRows(ti, sink, problems);
            } catch (const ReadError& e) {
                throw ImportError(ImportError::Input, e.text());
            }
            out.endTable();
            if (keptPictures > 5)
                problems << QStringLiteral("%1: %2 more pictures kept as stored")
                                .arg(t.name)
                                .arg(keptPictures - 5);
            if (done.rows < t.declaredRows)
                problems << QStringLiteral(
                                "%1: its definition counts %2 rows, %3 could be read "
                                "(rows on damaged pages are left out)")
                                .arg(t.name)
                                .arg(t.declaredRows)
                                .arg(done.rows);
            else if (done.rows > t.declaredRows)
                problems << QStringLiteral(
                                "%1: %3 rows read, where its definition counts %2 "
                                "(a count Access had not brought up to date)")
                                .arg(t.name)
                                .arg(t.declaredRows)
                                .arg(done.rows);
            sum.warnings << problems;
            sum.rows += done.rows;
            sum.blobs += done.blobs;
            sum.tables << done;
            pr.stage = ImportProgress::TableDone;
            pr.rows = done.rows;
            pr.blobs = done.blobs;
            progress(pr);
        }
        // Indexes last: building them over loaded rows is much faster.
        ImportProgress ip{ImportProgress::Indexes, QString(), int(tables.size()),
                          int(tables.size())};
        progress(ip);
        for (int ti = 0; ti < tables.size(); ++ti) {
            const TableDef& t = tables[ti];
            const TablePlan& plan = plans[ti];
            for (int ii = 0; ii < t.indexes.size(); ++ii) {
                const IndexDef& idx = t.indexes[ii];
                const IndexPlan& p = indexPlans[ti][ii];
                const QString where = QStringLiteral("index %1 of table %2").arg(idx.name, t.name);
                if (p.action == IndexPlan::Skip) {
                    sum.skipped << QStringLiteral("%1: %2").arg(where, p.reason);
                    continue;
                }
                if (p.action == IndexPlan::PrimaryKey) {
                    ++sum.primaryKeys;
                    continue;
                }
                if (p.sqliteName != idx.name)
                    sum.renamed << QStringLiteral("%1 -> %2").arg(where, p.sqliteName);
                QStringList keys;
                for (const IndexKey& k : idx.keys)
                    keys << QuoteIdentifier(plan.columns[k.column]) + (k.descending ? " desc" : "");
                const QString sql =
                    QStringLiteral("create %1index %2 on %3 (%4)")
                        .arg(idx.unique ? "unique " : "", QuoteIdentifier(p.sqliteName),
                             QuoteIdentifier(plan.outName), keys.join(u','));
                try {
                    out.exec(sql);
                } catch (const WriteError& e) {
                    if (!idx.unique) throw;
                    // Access compares text without regard to case and SQLite does
                    // not, so rows unique for one may not be for the other.
                    out.exec(QString(sql).replace(QStringLiteral("create unique index"),
                                                  QStringLiteral("create index")));
                    sum.warnings << QStringLiteral(
                                        "%1: the rows are not unique by its key here "
                                        "(%2); made without uniqueness")
                                        .arg(where, e.text().section(u'\n', 0, 0));
                }
                ++sum.indexes;
            }
        }
        addTreeIndex(out, plans, sum);
        out.close();
        temp.commit(o.target);
    } catch (const WriteError& e) {
        throw ImportError(ImportError::Usage,
                          QStringLiteral("writing %1: %2").arg(o.target, e.text()));
    } catch (const st::db::DbError& e) {
        throw ImportError(ImportError::Usage,
                          QStringLiteral("writing %1: %2").arg(o.target, e.text()));
    }
    return sum;
}

}  // namespace st::import
