#pragma once
#include <QByteArray>
#include <QString>

class QTextCursor;
class QTextCharFormat;
class QTextListFormat;

namespace st::text {

// True when the bytes start (after blanks) with the RTF header "{\rtf".
bool LooksLikeRtf(const QByteArray& bytes);

// Reads an RTF document and inserts its content at the cursor (which must
// have no selection), keeping the document's own formatting. The cursor ends
// after the inserted text. Returns false, with a reason, when the bytes are
// not RTF or reading failed; what could be read stays inserted.
// Paragraph ends become block boundaries, so positions count a paragraph end
// as one character. Never crashes, hangs or grows without bound on bad input.
// Tables come in as their cells' text, a tab between cells and a paragraph per
// row; lists become QTextList formatting without their marker text (past
// 1000 items a list goes on in a new QTextList that numbers on). A final
// \par ends the last paragraph without opening an empty one, as when a rich
// edit control loads a file, and a single paragraph inserted inside another
// keeps the host paragraph's format. KeepFinalBreak keeps that last paragraph
// end instead, as a value inserted among others at the caret needs.
enum class RtfInsert { Document, KeepFinalBreak };
bool InsertRtf(QTextCursor& cursor, const QByteArray& rtf, QString* error = nullptr,
               RtfInsert mode = RtfInsert::Document);

// The same for RTF held as decoded text (values that were imported with their
// bytes already turned into characters): characters beyond ASCII are text.
bool InsertRtfText(QTextCursor& cursor, const QString& rtf, QString* error = nullptr,
                   RtfInsert mode = RtfInsert::Document);

// The plain text of a value: RTF read into a scratch document, anything
// else decoded as text.
QString RtfPlainText(const QByteArray& value);

// The character set (\fcharset) carried by a character format, -1 if none.
int CharsetOf(const QTextCharFormat& f);
void SetCharset(QTextCharFormat& f, int charset);

// The first number of a list (1 unless set).
int ListStartOf(const QTextListFormat& f);
void SetListStart(QTextListFormat& f, int start);

// The Windows code page of an RTF \fcharset value (1252 for unknown ones).
int CodePageOfCharset(int charset);

}  // namespace st::text
