// Placeholder so the tree configures until the RTF reader lands (replaced whole).
#include "text/rtfreader.h"

#include <QTextCharFormat>
#include <QTextCursor>

namespace st::text {
bool LooksLikeRtf(const QByteArray& b) { return b.trimmed().startsWith("{\\rtf"); }
bool InsertRtf(QTextCursor&, const QByteArray&, QString* error) {
    if (error) *error = QStringLiteral("not implemented");
    return false;
}
int CharsetOf(const QTextCharFormat& f) {
    return f.hasProperty(QTextFormat::UserProperty + 1) ? f.intProperty(QTextFormat::UserProperty + 1) : -1;
}
void SetCharset(QTextCharFormat& f, int cs) { f.setProperty(QTextFormat::UserProperty + 1, cs); }
int CodePageOfCharset(int) { return 1252; }
}  // namespace st::text
