#pragma once
#include <QString>
#include <functional>

namespace st::db {

// Rewrites a query of the Jet dialect into SQLite's, keeping its meaning:
// - '&' outside literals concatenates ("||");
// - "double-quoted" texts are string literals (made single-quoted);
// - '=', '<>' and '!=' between a column and a text (a literal, or a
//   parameter that isTextParam says is bound to text) ignore letter case
//   (COLLATE UNOCASE after the right operand);
// - ':name' parameters, brackets, joins, subqueries and 'is NULL' pass as
//   they are. like() is the connection's Unicode case-blind function.
// With searchCache, "<column> like <operand>" on one of the four search
// columns of List_Entries becomes st_lc(<operand>, Entry_ID, k), matched
// against the connection's folded copies of them (same rows, no wide reads).
QString TranslateJet(const QString& sql,
                     const std::function<bool(const QString& param)>& isTextParam = {},
                     bool searchCache = false);

}  // namespace st::db
