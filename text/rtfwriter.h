#pragma once
#include <QByteArray>

class QTextDocument;

namespace st::text {

// The document (or the character range [from, to) of it) as RTF 1.x, pure
// ASCII: \ansicpg1251, characters of the code page as \'hh, others as \uN
// with an ANSI fallback, font and colour tables, character and paragraph
// formatting, lists. Reads back identically through InsertRtf.
QByteArray WriteRtf(const QTextDocument& doc, int from = 0, int to = -1);

}  // namespace st::text
