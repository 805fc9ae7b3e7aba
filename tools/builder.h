#pragma once
#include <QDir>
#include <QJsonDocument>
#include <QString>
#include <stdexcept>

namespace st::tools {

class BuildError : public std::runtime_error {
  public:
    explicit BuildError(const QString& m) : std::runtime_error(m.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

// Builds a control-list database from the JSON source format described in
// tools/README.md. baseDir resolves picture files. The database appears
// under dbPath only when it is complete; an existing file there is replaced.
void BuildDatabase(const QJsonDocument& source, const QString& dbPath, const QDir& baseDir);
void BuildDatabaseFromFile(const QString& sourcePath, const QString& dbPath);
// For tests: the source given as JSON text.
void BuildDatabaseFromText(const QByteArray& json, const QString& dbPath,
                           const QDir& baseDir = QDir::current());

}  // namespace st::tools
