#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace st::import {

// The input cannot be read: a missing, foreign, truncated or damaged file.
class ReadError : public std::runtime_error {
  public:
    explicit ReadError(const QString& m) : std::runtime_error(m.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

// Column types as Jet stores them (the libmdb type codes).
enum class JetType {
    Bool = 0x01,
    Byte = 0x02,
    Int = 0x03,
    Long = 0x04,
    Money = 0x05,
    Float = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0A,
    Ole = 0x0B,
    Memo = 0x0C,
    Guid = 0x0F,
    Numeric = 0x10,
    Complex = 0x12,
    ExtDateTime = 0x14,
};
QString JetTypeName(int type);

struct ColumnDef {
    QString name;
    int type = 0;  // a JetType, or a code this reader does not know
    int size = 0;
    int precision = 0;
    int scale = 0;
    bool autoNumber = false;
    bool calculated = false;  // an ACE calculated column (its Expression property)
};

struct IndexKey {
    int column = 0;  // position in TableDef::columns
    bool descending = false;
};

struct IndexDef {
    QString name;
    bool primary = false;
    bool unique = false;
    bool relationship = false;  // a foreign-key reference, no index of its own
    QList<IndexKey> keys;
};

struct TableDef {
    QString name;
    QList<ColumnDef> columns;
    QList<IndexDef> indexes;
    qint64 declaredRows = 0;  // the row count the table definition states
};

// One value read from a row.
struct Cell {
    enum Kind : quint8 { Null, Integer, Real, Text, Blob };
    Kind kind = Null;
    qint64 i = 0;
    double d = 0;
    QByteArray bytes;  // UTF-8 for Text
    void setNull() { kind = Null, bytes.clear(); }
    void setInt(qint64 v) { kind = Integer, i = v; }
    void setReal(double v) { kind = Real, d = v; }
    void setText(const QString& s) { kind = Text, bytes = s.toUtf8(); }
    void setBlob(QByteArray b) { kind = Blob, bytes = std::move(b); }
};

// Where the importer takes tables from: an Access file, or in tests a
// fixture made in memory.
class TableSource {
  public:
    virtual ~TableSource() = default;
    virtual QString format() const = 0;
    virtual bool isJet3() const = 0;
    virtual const QList<TableDef>& tables() const = 0;
    // Objects that are not copied, each with the reason.
    virtual const QStringList& skippedObjects() const = 0;
    // Reads every row of a table in storage order. The sink gets one cell per
    // column and returns false to stop. Problems with single values (a memo
    // whose pages do not add up, a type this reader does not know) are added
    // to problems; the value is kept as far as it could be read.
    // Throws ReadError when the table cannot be read at all.
    virtual qint64 readRows(int table, const std::function<bool(std::vector<Cell>&)>& sink,
                            QStringList& problems) = 0;
};

// An Access file opened through libmdb. Values are decoded from the bytes
// stored in the rows, never from libmdb's bound strings, so nothing is cut at
// a bind size and dates keep their full range.
class AccessReader : public TableSource {
  public:
    // codepage: the code page of Jet 3 text ("windows-1251", "cp1252", any
    // name iconv knows); Jet 4 and ACE text is Unicode.
    AccessReader(const QString& path, const QString& codepage);
    ~AccessReader();
    AccessReader(const AccessReader&) = delete;
    AccessReader& operator=(const AccessReader&) = delete;

    QString format() const override;
    bool isJet3() const override;
    const QList<TableDef>& tables() const override;
    const QStringList& skippedObjects() const override;
    qint64 readRows(int table, const std::function<bool(std::vector<Cell>&)>& sink,
                    QStringList& problems) override;

    // Tells a watchdog that reading goes on; bumped for every row and page.
    static quint64 heartbeat();

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace st::import

namespace st::import {
// Bumps the heartbeat a watchdog reads (AccessReader::heartbeat()); for
// long work elsewhere, such as building the indexes.
void NoteProgress();
// True when text in that code page can be read ("windows-1251", "CP866", ...).
bool IsKnownCodepage(const QString& codepage);
}  // namespace st::import
