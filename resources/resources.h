#pragma once

namespace st::resources {
// True when the program's own resource set is linked in.
bool HasOwnResourceSet();
}  // namespace st::resources
