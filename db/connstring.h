#pragma once
#include <QString>

namespace st::db {

// The connection string kept from design time; only its data source changes.
inline const QString kDesignConnectionString =
    QStringLiteral("Provider=SQLite3;Data Source=ControlLists.db;Persist Security Info=False");

// A DB_Name without a path separator ('\' or '/') names a file in the current
// directory; any other name is used unchanged.
QString ResolveDbPath(const QString& dbName, const QString& currentDir);

// Replaces the value of "Data Source=" (found without regard to case, its
// spelling kept), or appends ";Data Source=" + path when there is none.
QString ReplaceDataSource(const QString& connection, const QString& path);

// The data source named by a connection string (empty when none).
QString DataSourceOf(const QString& connection);

// An Access (Jet or ACE) database file, by its header: the program cannot
// open one, the importer converts it.
bool LooksLikeAccessFile(const QString& path);

}  // namespace st::db
