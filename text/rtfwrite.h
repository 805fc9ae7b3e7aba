#pragma once
#include <QByteArray>
#include <QString>

namespace st::text {

// Plain paragraphs ("\n" separates them) as RTF in Arial 10 pt with the
// Cyrillic character set, written by WriteRtf. Needs a QGuiApplication
// only for what any QTextDocument needs.
QByteArray PlainToRtf(const QString& text);

}  // namespace st::text
