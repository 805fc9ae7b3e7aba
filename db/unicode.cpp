#include "db/unicode.h"

#include <sqlite3.h>

#include <QList>

namespace st::db {
namespace {

QList<uint> folded(const QString& s) {
    QList<uint> out = s.toUcs4();
    for (uint& c : out) c = QChar::toCaseFolded(c);
    return out;
}

bool matchFolded(const QList<uint>& p, const QList<uint>& v, char32_t esc) {
    // Greedy walk with backtracking to the last '%': linear in practice.
    qsizetype pi = 0, vi = 0, starP = -1, starV = 0;
    while (vi < v.size()) {
        if (pi < p.size()) {
            char32_t pc = p[pi];
            if (esc && pc == esc && pi + 1 < p.size()) {
                if (p[pi + 1] == v[vi]) {
                    pi += 2;
                    ++vi;
                    continue;
                }
            } else if (pc == U'%') {
                starP = pi++;
                starV = vi;
                continue;
            } else if (pc == U'_' || pc == v[vi]) {
                ++pi;
                ++vi;
                continue;
            }
        }
        if (starP < 0) return false;
        pi = starP + 1;
        vi = ++starV;
    }
    while (pi < p.size() && p[pi] == U'%') ++pi;
    return pi == p.size();
}

QString argText(sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                             sqlite3_value_bytes(v));
}

void likeFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    char32_t esc = 0;
    if (argc == 3) {
        const QList<uint> e = argText(argv[2]).toUcs4();
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        esc = QChar::toCaseFolded(e[0]);
    }
    // like(X, Y) is "Y LIKE X": the pattern comes first.
    const bool m = LikeMatch(argText(argv[0]), argText(argv[1]), esc);
    sqlite3_result_int(ctx, m ? 1 : 0);
}

int unocase(void*, int la, const void* a, int lb, const void* b) {
    const QString sa = QString::fromUtf8(static_cast<const char*>(a), la);
    const QString sb = QString::fromUtf8(static_cast<const char*>(b), lb);
    return sa.compare(sb, Qt::CaseInsensitive);
}

}  // namespace

bool LikeMatch(const QString& pattern, const QString& value, char32_t escape) {
    return matchFolded(folded(pattern), folded(value),
                       escape ? QChar::toCaseFolded(escape) : 0);
}

void RegisterUnicodeFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "like", 2, flags, nullptr, likeFunc, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, flags, nullptr, likeFunc, nullptr, nullptr);
    sqlite3_create_collation(db, "UNOCASE", SQLITE_UTF8, nullptr, unocase);
}

}  // namespace st::db
