#pragma once
#include <QString>
#include <QTextFormat>
#include <QtGlobal>

// Shared by the RTF reader and writer: units and our own format properties.
namespace st::text::rtf {

// Qt lays text out in pixels of a 96 dpi screen, RTF measures in twips
// (1/1440 inch): 15 twips make a pixel. The writer rounds back, so integer
// twips survive a round trip exactly.
inline qreal TwipsToPx(int twips) {
    return twips / 15.0;
}
inline int PxToTwips(qreal px) {
    return int(qBound<qreal>(-1e9, px * 15.0, 1e9) + (px < 0 ? -0.5 : 0.5));
}

// The \fcharset of a run's font (on QTextCharFormat).
constexpr int kCharsetProperty = QTextFormat::UserProperty + 0x5201;
// A list's first number (on QTextListFormat; Qt 6.4 has no property for it).
constexpr int kListStartProperty = QTextFormat::UserProperty + 0x5202;
// The hanging first-line indent of a list paragraph in twips (on
// QTextBlockFormat): Qt draws the marker in that space, so the block itself
// keeps no negative text indent.
constexpr int kListHangProperty = QTextFormat::UserProperty + 0x5203;

// The characters of a single-byte code page's 256 bytes; empty for code
// pages with more than one byte to some characters.
const QString& SingleByteTable(int codePage);

}  // namespace st::text::rtf
