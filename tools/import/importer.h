#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

#include "tools/import/accessreader.h"

namespace st::import {

// Why an import stopped; status is the exit status of searchtool-import.
class ImportError : public std::runtime_error {
  public:
    enum Status { Usage = 1, Input = 2, Cancelled = 130 };
    ImportError(Status s, const QString& m) : std::runtime_error(m.toStdString()), status_(s) {}
    Status status() const { return status_; }
    QString text() const { return QString::fromStdString(what()); }

  private:
    Status status_;
};

struct ImportProgress {
    enum Stage { TableStarted, Rows, TableDone, Indexes };
    Stage stage = TableStarted;
    QString table;
    int tableIndex = 0;  // 1-based
    int tableCount = 0;
    qint64 rows = 0;
    qint64 blobs = 0;
};

struct ImportOptions {
    QString source;
    QString target;
    bool force = false;                 // replace an existing target
    QString codepage = "windows-1251";  // of Jet 3 text
    bool recomputePlain = false;        // rebuild the Plain* columns
    bool unwrapPictures = true;         // List_pictures.Picture out of OLE
    // Called per table and every few thousand rows; false stops the import.
    std::function<bool(const ImportProgress&)> progress;
    // Told the temporary file's path as soon as it exists (for cleanup on a
    // signal) and again with "" once it is gone or renamed.
    std::function<void(const QString&)> tempFile;
};

struct ImportedTable {
    QString name;  // in the output (the Access name, unless it had to change)
    qint64 rows = 0;
    qint64 blobs = 0;
};

struct ImportSummary {
    QString format;    // "Jet 4 (Access 2000-2003)", ...
    QString codepage;  // used for Jet 3 text; empty for Unicode files
    QList<ImportedTable> tables;
    qint64 rows = 0;
    qint64 blobs = 0;
    int indexes = 0;      // SQLite indexes made
    int primaryKeys = 0;  // tables with their primary key declared
    int picturesUnwrapped = 0;
    qint64 plainRecomputed = 0;  // plain values written anew
    QStringList added;           // what the import made that the Access file has not
    QStringList renamed;         // index (and table) names that had to change: "old -> new"
    QStringList skipped;         // what was not copied, with why
    QStringList warnings;        // copied, with a remark
};

// What becomes of one Access index in the output.
struct IndexPlan {
    enum Action { Create, PrimaryKey, Skip };
    Action action = Skip;
    QString sqliteName;  // Create: the index's name in the file
    QString reason;      // Skip: why
};
// SQLite index names are global to a file while Access names are per table
// ("PrimaryKey" on every table). An index keeps its Access name when no other
// index of the file and no table has that name (compared without regard to
// case, as SQLite does); otherwise it is named "<table>_<index>", with "_2",
// "_3"... added should that be taken as well. The primary key is declared in
// its table and keeps its Access name as the constraint name.
QList<QList<IndexPlan>> PlanIndexes(const QList<TableDef>& tables);

// Reads options.source and writes options.target. The target appears only
// when everything is written: the work goes to a temporary file beside it
// which is renamed at the end. Throws ImportError.
ImportSummary ImportAccessDatabase(const ImportOptions& options);
// The same from tables already opened; options.source only names them.
ImportSummary ImportTables(TableSource& source, const ImportOptions& options);

}  // namespace st::import
