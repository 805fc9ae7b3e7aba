#pragma once
#include <QByteArray>
#include <QColor>
#include <QString>
#include <QVariant>

namespace st::db {
class Query;
class TableCursor;
}  // namespace st::db

namespace st::text {

class TRichView;

// Feeds a stored value to the view in the chunks it asks for. A NUL byte
// that ends a short chunk, or the whole value, is not handed over (stored
// values and the built-in snippets end with one).
class RichStreamReader {
  public:
    explicit RichStreamReader(QByteArray value) : value_(std::move(value)) {}
    qint64 read(char* buffer, qint64 max);

  private:
    QByteArray value_;
    qint64 pos_ = 0;
};

// A column value as the bytes the view reads: RTF is ASCII; text holding
// decoded characters is passed as UTF-8.
QByteArray FieldBytes(const QVariant& value);

// Loads a column value (RTF, or plain text) as the whole content.
void LoadRichFromField(TRichView* view, const QVariant& value);
// The content as RTF for a column, or NULL when the view holds no text.
QVariant RichFieldValue(const TRichView* view);
void SaveRichToField(const TRichView* view, st::db::TableCursor& table, const QString& column);
// The whole plain text, paragraphs separated by line breaks.
QString GetRichPlainText(const TRichView* view);

// Inserts RTF at the caret in the colour given; a value that cannot be read
// goes in as plain text followed by a paragraph end. True when something was
// inserted; the caret stands after it.
bool InsertRtfAtCaret(TRichView* view, const QByteArray& rtf, const QColor& color);
// The same for a column of the current record; NULL inserts nothing, a
// missing column is an error (DbError).
bool InsertFieldRtf(TRichView* view, const st::db::Query& data, const QString& column,
                    const QColor& color);
bool InsertFieldRtf(TRichView* view, const st::db::TableCursor& data, const QString& column,
                    const QColor& color);
// A paragraph end before the caret unless the caret is at the start or
// already after one.
void EnsureBreakBeforeCaret(TRichView* view);

}  // namespace st::text
