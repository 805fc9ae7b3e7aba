#include "tools/import/accessreader.h"

// glib and iconv first: mdbtools.h includes them inside its extern "C" block,
// which C++ headers do not survive.
#include <glib.h>
#include <iconv.h>
// clang-format off
#include <mdbtools.h>
// clang-format on

#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QtEndian>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <unordered_set>

#include "text/codepage.h"
#include "tools/import/accessprobe.h"
#include "tools/import/jetvalues.h"

namespace st::import {
namespace {

std::atomic<quint64> g_heartbeat{0};

void beat() {
    g_heartbeat.fetch_add(1, std::memory_order_relaxed);
}

bool isCp1251(const QString& cp) {
    const QString c = cp.trimmed().toLower();
    return c == u"windows-1251" || c == u"cp1251" || c == u"1251" || c == u"win1251";
}

QByteArray iconvName(const QString& cp) {
    if (isCp1251(cp)) return QByteArrayLiteral("CP1251");
    const QString c = cp.trimmed();
    bool digits = false;
    c.toInt(&digits);
    return digits ? "CP" + c.toLatin1() : c.toLatin1();
}

// iconv from a code page to UTF-8.
class Iconv {
  public:
    explicit Iconv(const QByteArray& from) : cd_(iconv_open("UTF-8", from.constData())) {}
    ~Iconv() {
        if (valid()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    QString decode(const QByteArray& in) {
        QByteArray out;
        out.resize(in.size() * 4 + 4);
        char* src = const_cast<char*>(in.constData());
        size_t srcLeft = size_t(in.size());
        char* dst = out.data();
        size_t dstLeft = size_t(out.size());
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (srcLeft > 0) {
            if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) != size_t(-1)) break;
            if (errno == E2BIG) break;  // cannot happen: four bytes per byte is enough
            // A byte the code page leaves undefined becomes the character of
            // the same number, as Windows reads it (and text/codepage.h does).
            const auto b = static_cast<unsigned char>(*src);
            ++src;
            --srcLeft;
            if (dstLeft >= 2) {
                *dst++ = char(b < 0x80 ? b : 0xC0 | (b >> 6));
                --dstLeft;
                if (b >= 0x80) {
                    *dst++ = char(0x80 | (b & 0x3F));
                    --dstLeft;
                }
            }
        }
        out.truncate(dst - out.data());
        return QString::fromUtf8(out);
    }

  private:
    iconv_t cd_;
};

// libmdb takes its text settings from the environment when a file is opened.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = getenv(name)) old_ = QByteArray(old);
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->constData(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<QByteArray> old_;
};

std::mutex g_openMutex;

struct MdbClose {
    void operator()(MdbHandle* h) const { mdb_close(h); }
};
struct TableFree {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using MdbPtr = std::unique_ptr<MdbHandle, MdbClose>;
using TablePtr = std::unique_ptr<MdbTableDef, TableFree>;

QString nameOf(const char* s) {
    return QString::fromUtf8(s, qsizetype(strnlen(s, MDB_MAX_OBJ_NAME)));
}

}  // namespace

QString JetTypeName(int type) {
    switch (JetType(type)) {
        case JetType::Bool:
            return QStringLiteral("Yes/No");
        case JetType::Byte:
            return QStringLiteral("Byte");
        case JetType::Int:
            return QStringLiteral("Integer");
        case JetType::Long:
            return QStringLiteral("Long Integer");
        case JetType::Money:
            return QStringLiteral("Currency");
        case JetType::Float:
            return QStringLiteral("Single");
        case JetType::Double:
            return QStringLiteral("Double");
        case JetType::DateTime:
            return QStringLiteral("Date/Time");
        case JetType::Binary:
            return QStringLiteral("Binary");
        case JetType::Text:
            return QStringLiteral("Text");
        case JetType::Ole:
            return QStringLiteral("OLE Object");
        case JetType::Memo:
            return QStringLiteral("Memo");
        case JetType::Guid:
            return QStringLiteral("Replication ID");
        case JetType::Numeric:
            return QStringLiteral("Decimal");
        case JetType::Complex:
            return QStringLiteral("Attachment/multi-value");
        case JetType::ExtDateTime:
            return QStringLiteral("Date/Time Extended");
    }
    return QStringLiteral("type 0x%1").arg(type, 2, 16, QLatin1Char('0'));
}

bool IsKnownCodepage(const QString& codepage) {
    if (isCp1251(codepage)) return true;
    return Iconv(iconvName(codepage)).valid();
}

void NoteProgress() {
    beat();
}

quint64 AccessReader::heartbeat() {
    return g_heartbeat.load(std::memory_order_relaxed);
}

struct AccessReader::Impl {
    MdbPtr mdb;
    std::vector<TablePtr> mdbTables;  // parallel to tables
    QList<TableDef> tables;
    QStringList skipped;
    AccessHeader header;
    bool jet3 = false;
    bool cp1251 = true;
    std::unique_ptr<Iconv> iconv;
    qint64 pages = 0;

    QString decodeText(const QByteArray& raw) {
        if (!jet3) return DecodeJet4Text(raw);
        if (cp1251) return st::text::decodeCp1251(raw);
        return iconv->decode(raw);
    }

    void readCatalog();
    TableDef describe(MdbTableDef* t);
    QByteArray readLong(const unsigned char* p, int siz, QString* problem);
    void decode(const ColumnDef& col, const MdbField& f, Cell& cell, QString* problem);
};

AccessReader::AccessReader(const QString& path, const QString& codepage)
    : d(std::make_unique<Impl>()) {
    d->header = ProbeAccessFile(path);
    if (!d->header.ok) throw ReadError(QStringLiteral("%1: %2").arg(path, d->header.problem));
    d->jet3 = d->header.version == 0;
    d->cp1251 = isCp1251(codepage);
    if (!d->cp1251) {
        d->iconv = std::make_unique<Iconv>(iconvName(codepage));
        if (!d->iconv->valid())
            throw ReadError(QStringLiteral("unknown code page %1").arg(codepage));
    }
    d->pages = QFileInfo(path).size() / d->header.pageSize;
    {
        std::lock_guard<std::mutex> lock(g_openMutex);
        const QByteArray cs = iconvName(codepage);
        ScopedEnv jet3("MDB_JET3_CHARSET", cs.constData());
        ScopedEnv utf8("MDB_ICONV", "UTF-8");
        ScopedEnv opts("MDBOPTS", nullptr);
        d->mdb.reset(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS));
    }
    if (!d->mdb) throw ReadError(QStringLiteral("%1: libmdb cannot open the file").arg(path));
    if (int(d->mdb->f->jet_version) != d->header.version)
        throw ReadError(
            QStringLiteral("%1: the header and libmdb disagree on the version").arg(path));
    d->readCatalog();
}

AccessReader::~AccessReader() = default;

QString AccessReader::format() const {
    return d->header.format;
}

bool AccessReader::isJet3() const {
    return d->jet3;
}

const QList<TableDef>& AccessReader::tables() const {
    return d->tables;
}

const QStringList& AccessReader::skippedObjects() const {
    return d->skipped;
}

void AccessReader::Impl::readCatalog() {
    if (!mdb_read_catalog(mdb.get(), MDB_ANY))
        throw ReadError(
            QStringLiteral("the catalog of objects cannot be read: the file is damaged"));
    QMap<QString, int> others;  // object kind -> count, for the summary
    for (unsigned i = 0; i < mdb->num_catalog && i < mdb->catalog->len; ++i) {
        beat();
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        const QString name = nameOf(e->object_name);
        if (e->object_type == MDB_LINKED_TABLE) {
            skipped << QStringLiteral("linked table %1: its rows live in another file").arg(name);
            continue;
        }
        if (e->object_type != MDB_TABLE) {
            if (e->object_type == MDB_FORM || e->object_type == MDB_QUERY ||
                e->object_type == MDB_REPORT || e->object_type == MDB_MACRO ||
                e->object_type == MDB_MODULE)
                ++others[QString::fromUtf8(mdb_get_objtype_string(e->object_type)).toLower()];
            continue;
        }
        if (!mdb_is_user_table(e)) continue;  // MSys* and hidden system tables
        TablePtr t(mdb_read_table(e));
        if (!t)
            throw ReadError(QStringLiteral("the definition of table %1 cannot be read").arg(name));
        if (!mdb_read_columns(t.get()) || t->num_cols != t->columns->len || t->num_cols == 0)
            throw ReadError(QStringLiteral("the columns of table %1 cannot be read").arg(name));
        mdb_read_indices(t.get());
        tables << describe(t.get());
        mdbTables.push_back(std::move(t));
    }
    for (auto it = others.cbegin(); it != others.cend(); ++it)
        skipped << QStringLiteral("%1 %2 object(s): only tables are copied")
                       .arg(it.value())
                       .arg(it.key());
}

TableDef AccessReader::Impl::describe(MdbTableDef* t) {
    TableDef td;
    td.name = nameOf(t->name);
    td.declaredRows = t->num_rows;
    for (unsigned c = 0; c < t->num_cols; ++c) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, c));
        ColumnDef cd;
        cd.name = nameOf(col->name);
        cd.type = col->col_type;
        cd.size = col->col_size;
        cd.precision = col->col_prec;
        cd.scale = col->col_scale;
        cd.autoNumber = col->is_long_auto;
        cd.calculated = mdb_col_get_prop(col, "Expression") != nullptr;
        td.columns << cd;
    }
    for (unsigned x = 0; t->indices && x < t->num_idxs && x < t->indices->len; ++x) {
        auto* idx = static_cast<MdbIndex*>(g_ptr_array_index(t->indices, x));
        IndexDef id;
        id.name = nameOf(idx->name);
        id.primary = idx->index_type == 1;
        id.relationship = idx->index_type == 2;
        id.unique = id.primary || (idx->flags & MDB_IDX_UNIQUE);
        bool keysOk = true;
        for (unsigned k = 0; k < idx->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
            const int pos = idx->key_col_num[k] - 1;
            if (pos < 0 || pos >= int(t->num_cols)) keysOk = false;
            id.keys << IndexKey{pos, idx->key_col_order[k] == MDB_DESC};
        }
        if (!keysOk || idx->num_keys > MDB_MAX_IDX_COLS) id.keys.clear();
        td.indexes << id;
    }
    return td;
}

QByteArray AccessReader::Impl::readLong(const unsigned char* p, int siz, QString* problem) {
    if (siz < MDB_MEMO_OVERHEAD) {
        *problem = QStringLiteral("its %1-byte reference is too short").arg(siz);
        return {};
    }
    const quint32 lenFlags = qFromLittleEndian<quint32>(p);
    const quint32 declared = lenFlags & 0x3FFFFFFF;
    quint32 pgRow = qFromLittleEndian<quint32>(p + 4);
    QByteArray out;
    const qint64 limit = pages * mdb->fmt->pg_size;  // no value is larger than the file
    if (lenFlags & 0x80000000) {
        out = QByteArray(reinterpret_cast<const char*>(p + MDB_MEMO_OVERHEAD),
                         siz - MDB_MEMO_OVERHEAD);
    } else if (lenFlags & 0x40000000) {
        void* buf = nullptr;
        int off = 0;
        size_t len = 0;
        if (mdb_find_pg_row(mdb.get(), int(pgRow), &buf, &off, &len) != 0) {
            *problem = QStringLiteral("its page %1 cannot be read").arg(pgRow >> 8);
            return {};
        }
        out = QByteArray(static_cast<const char*>(buf) + off, qsizetype(len));
    } else if ((lenFlags & 0xC0000000) == 0) {
        std::unordered_set<quint32> seen;
        out.reserve(qsizetype(std::min<qint64>(declared, limit)));
        while (pgRow != 0 && out.size() < qsizetype(declared) && out.size() < limit) {
            beat();
            if (!seen.insert(pgRow).second) {
                *problem = QStringLiteral("its chain of pages runs in a circle");
                break;
            }
            void* buf = nullptr;
            int off = 0;
            size_t len = 0;
            if (mdb_find_pg_row(mdb.get(), int(pgRow), &buf, &off, &len) != 0 || len < 4) {
                *problem = QStringLiteral("its page %1 cannot be read").arg(pgRow >> 8);
                break;
            }
            const auto* b = static_cast<const unsigned char*>(buf) + off;
            pgRow = qFromLittleEndian<quint32>(b);
            out.append(reinterpret_cast<const char*>(b + 4), qsizetype(len - 4));
        }
    }
    if (out.size() != qsizetype(declared) && problem->isEmpty())
        *problem = QStringLiteral("%1 of its %2 bytes could be read").arg(out.size()).arg(declared);
    if (out.size() > qsizetype(declared)) out.truncate(declared);
    return out;
}

void AccessReader::Impl::decode(const ColumnDef& col, const MdbField& f, Cell& cell,
                                QString* problem) {
    if (col.type == int(JetType::Bool)) {
        // A Yes/No value lives in the null bit: set means Yes.
        cell.setInt(f.is_null ? 0 : 1);
        return;
    }
    if (f.is_null) {
        cell.setNull();
        return;
    }
    const unsigned char* p = mdb->pg_buf + f.start;
    int n = f.siz;
    int start = f.start;
    if (col.calculated) {
        // A calculated value sits in a wrapper: 16 bytes, its length, itself.
        const quint32 len = n >= 20 ? qFromLittleEndian<quint32>(p + 16) : 0xFFFFFFFF;
        if (len > quint32(n - 20)) {
            *problem = QStringLiteral("a calculated value without its wrapper");
            cell.setNull();
            return;
        }
        p += 20;
        start += 20;
        n = int(len);
        // Text and whole numbers are stored as such; other results (doubles
        // kept as currency, decimals, long texts by reference) are not read.
        const int t = col.type;
        const bool plain = t == int(JetType::Text) || (t == int(JetType::Long) && n == 4) ||
                           (t == int(JetType::Int) && n == 2) ||
                           (t == int(JetType::Byte) && n == 1);
        if (!plain) {
            *problem = QStringLiteral(
                           "a calculated %1 value (Access computes it from other "
                           "columns) in a stored form this importer does not read; "
                           "left empty")
                           .arg(JetTypeName(t));
            cell.setNull();
            return;
        }
    }
    auto need = [&](int bytes) {
        if (n >= bytes) return true;
        *problem = QStringLiteral("a %1-byte value where %2 bytes belong").arg(n).arg(bytes);
        cell.setNull();
        return false;
    };
    switch (JetType(col.type)) {
        case JetType::Bool:
            break;
        case JetType::Byte:
            if (need(1)) cell.setInt(p[0]);
            return;
        case JetType::Int:
            if (need(2)) cell.setInt(qFromLittleEndian<qint16>(p));
            return;
        case JetType::Long:
        case JetType::Complex:
            if (need(4)) cell.setInt(qFromLittleEndian<qint32>(p));
            return;
        case JetType::Money:
            // Currency: a count of ten-thousandths.
            if (need(8)) cell.setReal(double(qFromLittleEndian<qint64>(p)) / 10000.0);
            return;
        case JetType::Float:
            if (need(4)) cell.setReal(qFromLittleEndian<float>(p));
            return;
        case JetType::Double:
            if (need(8)) cell.setReal(qFromLittleEndian<double>(p));
            return;
        case JetType::DateTime:
            if (need(8)) {
                const double days = qFromLittleEndian<double>(p);
                if (const std::optional<QString> t = JetDateText(days)) {
                    cell.setText(*t);
                } else {
                    cell.setReal(days);
                    *problem = QStringLiteral(
                                   "date %1 lies outside the years 100-9999; kept as "
                                   "its number of days")
                                   .arg(days, 0, 'g', 17);
                }
            }
            return;
        case JetType::Binary:
            cell.setBlob(QByteArray(reinterpret_cast<const char*>(p), n));
            return;
        case JetType::Text:
            cell.setText(decodeText(QByteArray::fromRawData(reinterpret_cast<const char*>(p), n)));
            return;
        case JetType::Memo:
            cell.setText(decodeText(readLong(p, n, problem)));
            return;
        case JetType::Ole:
            cell.setBlob(readLong(p, n, problem));
            return;
        case JetType::Guid:
            if (need(16)) cell.setText(GuidText(p));
            return;
        case JetType::Numeric:
            if (need(17)) {
                char* s = mdb_numeric_to_string(mdb.get(), start, col.scale, col.precision);
                const QByteArray text(s ? s : "");
                g_free(s);
                bool ok = false;
                const qint64 whole = text.toLongLong(&ok);
                if (ok && col.scale == 0) {
                    cell.setInt(whole);
                } else {
                    // Exact as a double up to 15 digits; longer ones stay text.
                    int digits = 0;
                    for (char c : text) digits += c >= '0' && c <= '9';
                    const double v = text.toDouble(&ok);
                    if (ok && digits <= 15)
                        cell.setReal(v);
                    else
                        cell.kind = Cell::Text, cell.bytes = text;
                }
            }
            return;
        case JetType::ExtDateTime:
            if (const std::optional<QString> t =
                    ExtendedDateText(QByteArray(reinterpret_cast<const char*>(p), n))) {
                cell.setText(*t);
                return;
            }
            break;
    }
    // A type this reader does not know: the stored bytes, as they are.
    cell.setBlob(QByteArray(reinterpret_cast<const char*>(p), n));
    *problem = QStringLiteral("%1 is not a type this importer reads; its stored bytes were copied")
                   .arg(JetTypeName(col.type));
}

qint64 AccessReader::readRows(int table, const std::function<bool(std::vector<Cell>&)>& sink,
                              QStringList& problems) {
    MdbTableDef* t = d->mdbTables.at(size_t(table)).get();
    const TableDef& td = d->tables.at(table);
    MdbHandle* mdb = d->mdb.get();
    std::vector<MdbField> fields(t->num_cols);
    std::vector<Cell> row(t->num_cols);
    // A data page holds at most 1000 rows (libmdb's own limit); more rows
    // than that means the page chain loops.
    const qint64 cap = d->pages * 1001;
    QHash<int, int> problemsPerColumn;
    qint64 count = 0;
    mdb_rewind_table(t);
    while (mdb_fetch_row(t)) {
        beat();
        if (++count > cap)
            throw ReadError(QStringLiteral("table %1 yields more rows than the file can hold: the "
                                           "file is damaged")
                                .arg(td.name));
        int start = 0;
        size_t len = 0;
        if (mdb_find_row(mdb, int(t->cur_row) - 1, &start, &len) != 0)
            throw ReadError(
                QStringLiteral("row %1 of table %2 cannot be found again").arg(count).arg(td.name));
        // The count returned is the row's own column count, which differs
        // from the table's after columns were added or deleted; every
        // column of the table has its field either way.
        if (mdb_crack_row(t, start & 0x1FFF, len, fields.data()) < 0)
            throw ReadError(
                QStringLiteral("row %1 of table %2 cannot be read").arg(count).arg(td.name));
        for (Cell& c : row) c.setNull();
        for (unsigned i = 0; i < t->num_cols; ++i) {
            const MdbField& f = fields[size_t(i)];
            if (f.colnum < 0 || f.colnum >= int(t->num_cols)) continue;
            QString problem;
            d->decode(td.columns[f.colnum], f, row[size_t(f.colnum)], &problem);
            if (!problem.isEmpty()) {
                // A damaged column would repeat its complaint for every row.
                const int seen = ++problemsPerColumn[f.colnum];
                if (seen <= 3)
                    problems << QStringLiteral("%1.%2, row %3: %4")
                                    .arg(td.name, td.columns[f.colnum].name)
                                    .arg(count)
                                    .arg(problem);
                else if (seen == 4)
                    problems << QStringLiteral("%1.%2: the same in further rows")
                                    .arg(td.name, td.columns[f.colnum].name);
            }
        }
        if (!sink(row)) break;
    }
    return count;
}

}  // namespace st::import
