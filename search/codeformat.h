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

}  // namespace st::search
