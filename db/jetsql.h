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
QString TranslateJet(const QString& sql,
                     const std::function<bool(const QString& param)>& isTextParam = {});

}  // namespace st::db
