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

// Folded copies of the search columns of List_Entries (List_Title,
// Plain_Title, Plain_Text, Plain_After) kept per connection, so a search can
// match them without reading the table's wide rows: st_lc(pattern, rowid, k)
// is "column k like pattern". Refresh reloads them only when the file changed
// (its data_version, or this connection's own changes); call it before each
// query that uses st_lc.
void RefreshSearchColumnCache(sqlite3* db);
void ForgetSearchColumnCache(sqlite3* db);

}  // namespace st::db
