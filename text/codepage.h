#pragma once
#include <QByteArray>
#include <QString>

namespace st::text {

// Windows-1251, the code page of the lists. Undefined byte 0x98 maps to U+0098.
QString decodeCp1251(const QByteArray& bytes);
// Characters outside the code page become '?'.
QByteArray encodeCp1251(const QString& text);
// -1 when the character has no windows-1251 byte.
int cp1251Byte(QChar c);

// Decodes a text file's bytes: a UTF-8 or UTF-16 byte-order mark selects that
// encoding; otherwise valid UTF-8 is read as UTF-8 when allowUtf8 is set, and
// anything else as windows-1251.
QString decodeText(const QByteArray& bytes, bool allowUtf8WithoutBom);

}  // namespace st::text
