#pragma once
#include <QString>

namespace st::text {

// Length-preserving maps that make searching blind to case, Cyrillic/Latin
// look-alikes, quote kinds and accents.
QString FoldLookAlikes(const QString& s);
QString FoldDiacritics(const QString& s);
// Plain search form of stored plain columns and search arguments: look-alikes
// folded and runs of blanks collapsed. Empty for texts over 30000 characters.
QString MakePlaneString(const QString& sti);
// Comparison form of a pattern or caption (length preserving).
QString MakeSearchShab(const QString& sti);

}  // namespace st::text
