#pragma once
#include <QByteArray>
#include <QString>

namespace st::text {

// Small RTF writer for plain paragraphs ("\n" separates paragraphs). The full
// RTF reader and writer of the rich-text view take this over.
QByteArray PlainToRtf(const QString& text);

}  // namespace st::text
