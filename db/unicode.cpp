#include "db/unicode.h"

#include <sqlite3.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace st::db {
namespace {

using Folded = std::vector<char32_t>;

// Decodes UTF-8 and folds case on the way; ASCII takes the short road.
void foldUtf8(const unsigned char* p, int n, Folded& out) {
    out.clear();
    out.reserve(size_t(n));
    const unsigned char* end = p + n;
    while (p < end) {
        char32_t c = *p;
        if (c < 0x80) {
            out.push_back(c >= 'A' && c <= 'Z' ? c + 32 : c);
            ++p;
            continue;
        }
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        c &= extra == 3 ? 0x07 : extra == 2 ? 0x0F : 0x1F;
        ++p;
        for (; extra > 0 && p < end && (*p & 0xC0) == 0x80; --extra, ++p)
            c = (c << 6) | (*p & 0x3F);
        out.push_back(QChar::toCaseFolded(c));
    }
}

Folded foldQString(const QString& s) {
    const QByteArray u = s.toUtf8();
    Folded f;
    foldUtf8(reinterpret_cast<const unsigned char*>(u.constData()), int(u.size()), f);
    return f;
}

bool matchFolded(const Folded& p, const Folded& v, char32_t esc) {
    // Greedy walk with backtracking to the last '%': linear in practice.
    size_t pi = 0, vi = 0, starV = 0;
    ptrdiff_t starP = -1;
    while (vi < v.size()) {
        if (pi < p.size()) {
            const char32_t pc = p[pi];
            if (esc && pc == esc && pi + 1 < p.size()) {
                if (p[pi + 1] == v[vi]) {
                    pi += 2;
                    ++vi;
                    continue;
                }
            } else if (pc == U'%') {
                starP = ptrdiff_t(pi++);
                starV = vi;
                continue;
            } else if (pc == U'_' || pc == v[vi]) {
                ++pi;
                ++vi;
                continue;
            }
        }
        if (starP < 0) return false;
        pi = size_t(starP) + 1;
        vi = ++starV;
    }
    while (pi < p.size() && p[pi] == U'%') ++pi;
    return pi == p.size();
}

// Folds case straight into UTF-8: ASCII and the basic Cyrillic letters by
// table, anything else through Unicode case folding.
void appendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

void foldUtf8Bytes(const unsigned char* p, int n, std::string& out) {
    // Simple folding keeps a code point within 1.5 times its bytes.
    out.resize(size_t(n) + size_t(n) / 2 + 4);
    char* o = out.data();
    const unsigned char* end = p + n;
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            *o++ = char(b >= 'A' && b <= 'Z' ? b + 32 : b);
            ++p;
            continue;
        }
        if ((b == 0xD0 || b == 0xD1) && p + 1 < end) {
            const unsigned char t = p[1];
            if (b == 0xD0 && t >= 0x90 && t <= 0x9F) {  // А .. П
                *o++ = char(0xD0), *o++ = char(t + 0x20);
                p += 2;
                continue;
            }
            if (b == 0xD0 && t >= 0xA0 && t <= 0xAF) {  // Р .. Я
                *o++ = char(0xD1), *o++ = char(t - 0x20);
                p += 2;
                continue;
            }
            if (b == 0xD0 && t >= 0x80 && t <= 0x8F) {  // Ѐ .. Џ
                *o++ = char(0xD1), *o++ = char(t + 0x10);
                p += 2;
                continue;
            }
            if ((b == 0xD0 && t >= 0xB0 && t <= 0xBF) || (b == 0xD1 && t >= 0x80 && t <= 0x9F)) {
                *o++ = char(b), *o++ = char(t);  // already small
                p += 2;
                continue;
            }
        }
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        char32_t c = b & (extra == 3 ? 0x07 : extra == 2 ? 0x0F : 0x1F);
        const unsigned char* q = p + 1;
        for (; extra > 0 && q < end && (*q & 0xC0) == 0x80; --extra, ++q)
            c = (c << 6) | (*q & 0x3F);
        if (extra != 0 || (b & 0xC0) == 0x80) {  // not valid UTF-8: the byte as it is
            *o++ = char(b);
            ++p;
            continue;
        }
        std::string enc;
        appendUtf8(QChar::toCaseFolded(c), enc);
        memcpy(o, enc.data(), enc.size());
        o += enc.size();
        p = q;
    }
    out.resize(size_t(o - out.data()));
}

// A pattern made of literals and '%' only is matched by substring search
// on the folded bytes; any other goes through the general matcher.
struct CompiledLike {
    Folded general;
    bool simple = false;
    bool leading = false;   // starts with '%'
    bool trailing = false;  // ends with '%'
    std::vector<std::string> runs;
};

CompiledLike* compile(const unsigned char* text, int n, char32_t esc) {
    auto* c = new CompiledLike;
    foldUtf8(text, n, c->general);
    c->simple = !esc;
    for (char32_t ch : c->general)
        if (ch == U'_') c->simple = false;
    if (!c->simple) return c;
    std::string folded;
    foldUtf8Bytes(text, n, folded);
    c->leading = !folded.empty() && folded.front() == '%';
    c->trailing = !folded.empty() && folded.back() == '%';
    size_t i = 0;
    while (i < folded.size()) {
        while (i < folded.size() && folded[i] == '%') ++i;
        size_t j = i;
        while (j < folded.size() && folded[j] != '%') ++j;
        if (j > i) c->runs.emplace_back(folded, i, j - i);
        i = j;
    }
    return c;
}

bool matchSimple(const CompiledLike& c, const std::string& v) {
    if (c.runs.empty()) return c.leading || v.empty();  // "%..." matches all, "" only ""
    if (c.runs.size() == 1 && !c.leading && !c.trailing) return v == c.runs[0];
    size_t pos = 0;
    for (size_t i = 0; i < c.runs.size(); ++i) {
        const std::string& run = c.runs[i];
        const bool last = i + 1 == c.runs.size();
        if (i == 0 && !c.leading) {
            if (v.compare(0, run.size(), run) != 0) return false;
            pos = run.size();
            continue;
        }
        if (last && !c.trailing) {
            return v.size() >= pos + run.size() &&
                   v.compare(v.size() - run.size(), run.size(), run) == 0;
        }
        const void* hit = memmem(v.data() + pos, v.size() - pos, run.data(), run.size());
        if (!hit) return false;
        pos = size_t(static_cast<const char*>(hit) - v.data()) + run.size();
    }
    return true;
}

void deleteCompiled(void* p) {
    delete static_cast<CompiledLike*>(p);
}

void likeFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    char32_t esc = 0;
    if (argc == 3) {
        Folded e;
        foldUtf8(sqlite3_value_text(argv[2]), sqlite3_value_bytes(argv[2]), e);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        esc = e[0];
    }
    // like(X, Y) is "Y LIKE X": the pattern comes first. A constant pattern
    // is compiled once per statement.
    std::unique_ptr<CompiledLike> once;
    auto* pattern = static_cast<CompiledLike*>(sqlite3_get_auxdata(ctx, 0));
    if (!pattern) {
        pattern = compile(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]), esc);
        sqlite3_set_auxdata(ctx, 0, pattern, deleteCompiled);
        if (sqlite3_get_auxdata(ctx, 0) != pattern) {  // not kept: this row only
            pattern = compile(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]), esc);
            once.reset(pattern);
        }
    }
    bool m;
    if (pattern->simple) {
        thread_local std::string value;
        foldUtf8Bytes(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]), value);
        m = matchSimple(*pattern, value);
    } else {
        thread_local Folded value;
        foldUtf8(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]), value);
        m = matchFolded(pattern->general, value, esc);
    }
    sqlite3_result_int(ctx, m ? 1 : 0);
}

// ---- the search-column cache -------------------------------------------

// Folded copies of the four search columns of List_Entries, per connection.
// Valid while the file's data_version and the connection's own change count
// stay as they were when it was loaded.
struct ColumnCache {
    sqlite3_int64 version = -1;
    sqlite3_int64 changes = -1;
    std::vector<int> slot;  // rowid -> row index, -1 for none
    std::vector<std::array<std::string, 4>> values;
    std::vector<std::array<bool, 4>> isNull;
};

std::unordered_map<sqlite3*, std::unique_ptr<ColumnCache>>& caches() {
    static std::unordered_map<sqlite3*, std::unique_ptr<ColumnCache>> all;
    return all;
}

sqlite3_int64 dataVersion(sqlite3* db) {
    sqlite3_stmt* st = nullptr;
    sqlite3_int64 v = -1;
    if (sqlite3_prepare_v2(db, "PRAGMA data_version", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return v;
}

void cachedLikeFunc(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    auto* cache = static_cast<ColumnCache*>(sqlite3_user_data(ctx));
    const sqlite3_int64 rowid = sqlite3_value_int64(argv[1]);
    const int column = sqlite3_value_int(argv[2]);
    if (column < 0 || column > 3 || rowid < 0 || rowid >= sqlite3_int64(cache->slot.size()) ||
        cache->slot[size_t(rowid)] < 0)
        return sqlite3_result_null(ctx);
    const size_t row = size_t(cache->slot[size_t(rowid)]);
    if (cache->isNull[row][size_t(column)]) return sqlite3_result_null(ctx);
    std::unique_ptr<CompiledLike> once;
    auto* pattern = static_cast<CompiledLike*>(sqlite3_get_auxdata(ctx, 0));
    if (!pattern) {
        pattern = compile(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]), 0);
        sqlite3_set_auxdata(ctx, 0, pattern, deleteCompiled);
        if (sqlite3_get_auxdata(ctx, 0) != pattern) {
            pattern = compile(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]), 0);
            once.reset(pattern);
        }
    }
    const std::string& value = cache->values[row][size_t(column)];
    bool m;
    if (pattern->simple) {
        m = matchSimple(*pattern, value);
    } else {
        thread_local Folded v;
        foldUtf8(reinterpret_cast<const unsigned char*>(value.data()), int(value.size()), v);
        m = matchFolded(pattern->general, v, 0);
    }
    sqlite3_result_int(ctx, m ? 1 : 0);
}

int unocase(void*, int la, const void* a, int lb, const void* b) {
    const QString sa = QString::fromUtf8(static_cast<const char*>(a), la);
    const QString sb = QString::fromUtf8(static_cast<const char*>(b), lb);
    return sa.compare(sb, Qt::CaseInsensitive);
}

}  // namespace

bool LikeMatchFast(const QString& pattern, const QString& value) {
    const QByteArray p = pattern.toUtf8(), v = value.toUtf8();
    std::unique_ptr<CompiledLike> c(
        compile(reinterpret_cast<const unsigned char*>(p.constData()), int(p.size()), 0));
    if (!c->simple) return matchFolded(c->general, foldQString(value), 0);
    std::string folded;
    foldUtf8Bytes(reinterpret_cast<const unsigned char*>(v.constData()), int(v.size()), folded);
    return matchSimple(*c, folded);
}

bool LikeMatch(const QString& pattern, const QString& value, char32_t escape) {
    return matchFolded(foldQString(pattern), foldQString(value),
                       escape ? QChar::toCaseFolded(escape) : 0);
}

void RefreshSearchColumnCache(sqlite3* db) {
    auto& slot = caches()[db];
    if (!slot) slot = std::make_unique<ColumnCache>();
    ColumnCache& c = *slot;
    const sqlite3_int64 version = dataVersion(db);
    const sqlite3_int64 changes = sqlite3_total_changes64(db);
    if (version == c.version && changes == c.changes) return;
    c = ColumnCache{};
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db,
                           "select Entry_ID, List_Title, Plain_Title, Plain_Text, Plain_After "
                           "from List_Entries",
                           -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return;  // no table: every lookup answers NULL
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
        const sqlite3_int64 rowid = sqlite3_column_int64(st, 0);
        if (rowid < 0 || rowid > (sqlite3_int64(1) << 31)) continue;
        if (size_t(rowid) >= c.slot.size())
            c.slot.resize(size_t(rowid) + 1 + c.slot.size() / 2, -1);
        c.slot[size_t(rowid)] = int(c.values.size());
        c.values.emplace_back();
        c.isNull.emplace_back();
        for (int k = 0; k < 4; ++k) {
            const bool null = sqlite3_column_type(st, k + 1) == SQLITE_NULL;
            c.isNull.back()[size_t(k)] = null;
            if (!null)
                foldUtf8Bytes(sqlite3_column_text(st, k + 1), sqlite3_column_bytes(st, k + 1),
                              c.values.back()[size_t(k)]);
        }
    }
    sqlite3_finalize(st);
    c.version = version;
    c.changes = changes;
}

void ForgetSearchColumnCache(sqlite3* db) {
    caches().erase(db);
}

void RegisterUnicodeFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "like", 2, flags, nullptr, likeFunc, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, flags, nullptr, likeFunc, nullptr, nullptr);
    sqlite3_create_collation(db, "UNOCASE", SQLITE_UTF8, nullptr, unocase);
    auto& slot = caches()[db];
    slot = std::make_unique<ColumnCache>();
    sqlite3_create_function(db, "st_lc", 3, SQLITE_UTF8, slot.get(), cachedLikeFunc, nullptr,
                            nullptr);
}

}  // namespace st::db
