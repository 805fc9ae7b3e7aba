#pragma once
#include <QString>

namespace st::tools {

// A large control list for benchmarks: one list of `entries` entries in a
// realistic hierarchy (categories, groups, items, sub-items down to depth
// 7), Ukrainian text with English terms, UKT ZED codes on a fifth of the
// entries. Deterministic for a given size.
void GenerateLargeDatabase(const QString& path, int entries);

}  // namespace st::tools
