#include "text/rtfwrite.h"

#include "text/codepage.h"

namespace st::text {

QByteArray PlainToRtf(const QString& text) {
    QByteArray out =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}"
        "\\uc1\\pard\\f0\\fs20 ";
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n') {
            out += "\\par\n";
        } else if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += char(u);
        } else if (u == u'\t') {
            out += "\\tab ";
        } else if (u >= 0x20 && u < 0x80) {
            out += char(u);
        } else if (u < 0x20) {
            // control characters carry no text in RTF
        } else if (const int b = cp1251Byte(c); b >= 0) {
            out += "\\'" + QByteArray::number(b, 16).rightJustified(2, '0');
        } else {
            out += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
    }
    out += "}";
    return out;
}

}  // namespace st::text
