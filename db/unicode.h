#pragma once
#include <QString>

struct sqlite3;

namespace st::db {

// Jet's LIKE: '%' any run, '_' one character, letter case ignored for all of
// Unicode. escape is 0 when there is none.
bool LikeMatch(const QString& pattern, const QString& value, char32_t escape = 0);
// The same through the substring road the connection takes for patterns of
// literals and '%' (exposed so tests can hold the two roads together).
bool LikeMatchFast(const QString& pattern, const QString& value);

// Registers on a connection what the dialect needs: like() over Unicode and
// the collation "UNOCASE" (Unicode case-blind) used for text comparisons.
void RegisterUnicodeFunctions(sqlite3* db);

}  // namespace st::db
