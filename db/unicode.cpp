#include "db/unicode.h"

#include <sqlite3.h>

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

void deleteFolded(void* p) {
    delete static_cast<Folded*>(p);
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
    // is folded once per statement.
    auto* pattern = static_cast<Folded*>(sqlite3_get_auxdata(ctx, 0));
    if (!pattern) {
        pattern = new Folded;
        foldUtf8(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]), *pattern);
        sqlite3_set_auxdata(ctx, 0, pattern, deleteFolded);
        pattern = static_cast<Folded*>(sqlite3_get_auxdata(ctx, 0));
        if (!pattern) {  // not kept: fold again for this row only
            Folded once;
            foldUtf8(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]), once);
            thread_local Folded value;
            foldUtf8(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]), value);
            sqlite3_result_int(ctx, matchFolded(once, value, esc) ? 1 : 0);
            return;
        }
    }
    thread_local Folded value;
    foldUtf8(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]), value);
    sqlite3_result_int(ctx, matchFolded(*pattern, value, esc) ? 1 : 0);
}

int unocase(void*, int la, const void* a, int lb, const void* b) {
    const QString sa = QString::fromUtf8(static_cast<const char*>(a), la);
    const QString sb = QString::fromUtf8(static_cast<const char*>(b), lb);
    return sa.compare(sb, Qt::CaseInsensitive);
}

}  // namespace

bool LikeMatch(const QString& pattern, const QString& value, char32_t escape) {
    return matchFolded(foldQString(pattern), foldQString(value),
                       escape ? QChar::toCaseFolded(escape) : 0);
}

void RegisterUnicodeFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "like", 2, flags, nullptr, likeFunc, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, flags, nullptr, likeFunc, nullptr, nullptr);
    sqlite3_create_collation(db, "UNOCASE", SQLITE_UTF8, nullptr, unocase);
}

}  // namespace st::db
