#pragma once
#include <QString>

namespace st::search {

// Blank positions of the UKT ZED code shape dddd dd dd dd (bits 5, 8, 11)
// and of the TN ZED shape.
constexpr int kUKTMask = 2336;
constexpr int kTNMask = 18720;
constexpr int kUKTWidth = 13;

// Keeps a blank at every 1-based position p <= 31 whose bit is set in mask
// and removes every other blank.
QString ApplySpaceMask(QString s, int mask);
// The stored form of a code list: "/" then each code, shaped by the mask and
// padded with "n" to width, followed by "/".
QString NormalizeCodeList(const QString& s, int mask, int width);
QString NormalizeUKTCodes(const QString& s);
QString RemoveSpaces(QString s);

// Reformats the text of a code box by the mask, keeping the caret s0 and the
// selection end s1 on the same characters: a blank is inserted before an
// existing character at each mask position, blanks and dots elsewhere go.
struct CodeEdit {
    QString text;
    int s0 = 0;
    int s1 = 0;
};
CodeEdit FormatCodeText(const CodeEdit& in, int mask);

// The word-break rule of code text (action codes 0-7 of the rich view): a
// delimiter is a blank or tab that is the first character or follows ";",
// "," or "-", so blanks inside a code keep it one word.
int CodeWordBreak(const QString& text, int position, int code);

// The query texts of the customs-code searches. The typed code reaches the
// query text as typed, its apostrophes doubled, so no code can end a
// literal early.
QString MakeUKT_SQL(const QString& sti, bool exac);
QString MakeTN_SQL(const QString& sti);

}  // namespace st::search
