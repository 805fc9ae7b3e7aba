#include "text/rtfwrite.h"

#include <QTextCursor>
#include <QTextDocument>

#include "text/rtfreader.h"
#include "text/rtfwriter.h"

namespace st::text {

QByteArray PlainToRtf(const QString& text) {
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("Arial")});
    f.setFontPointSize(10);
    SetCharset(f, 204);
    QString plain = text;
    plain.remove(u'\r');  // "\r\n" ends one paragraph
    cursor.beginEditBlock();
    cursor.insertText(plain, f);
    cursor.endEditBlock();
    return WriteRtf(doc);
}

}  // namespace st::text
