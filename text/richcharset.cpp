#include "text/richcharset.h"

namespace st::text {
namespace {
int g_charset = -1;
}
int CharsetOverride() {
    return g_charset;
}
void SetCharsetOverride(int charset) {
    g_charset = charset;
}
}  // namespace st::text
