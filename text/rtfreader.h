#pragma once
#include <QByteArray>
#include <QString>

class QTextCursor;

namespace st::text {

// True when the bytes start (after blanks) with the RTF header "{\rtf".
bool LooksLikeRtf(const QByteArray& bytes);

// Reads an RTF document and inserts its content at the cursor (which must
// have no selection), keeping the document's own formatting. The cursor ends
// after the inserted text. Returns false, with a reason, when the bytes are
// not RTF or reading failed; what could be read stays inserted.
// Paragraph ends become block boundaries, so positions count a paragraph end
// as one character. Never crashes, hangs or grows without bound on bad input.
bool InsertRtf(QTextCursor& cursor, const QByteArray& rtf, QString* error = nullptr);

// The character set (\fcharset) carried by a character format, -1 if none.
int CharsetOf(const class QTextCharFormat& f);
void SetCharset(class QTextCharFormat& f, int charset);

// The Windows code page of an RTF \fcharset value (1252 for unknown ones).
int CodePageOfCharset(int charset);

}  // namespace st::text
