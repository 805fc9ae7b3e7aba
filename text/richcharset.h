#pragma once

namespace st::text {

// The program-wide charset forced onto rich text when it is loaded; negative
// means the stored charsets stay.
int CharsetOverride();
void SetCharsetOverride(int charset);

}  // namespace st::text
