#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

namespace st::import {

// A Jet date/time: days since 1899-12-30, the fraction the time of day. For
// days before that date the whole part counts back and the fraction still
// runs forward (-1.25 is 1899-12-29 06:00). The text is
// "yyyy-MM-dd HH:mm:ss", with ".zzz" only when there are milliseconds;
// nothing for values outside Access's range (years 100 to 9999) or not finite.
std::optional<QString> JetDateText(double days);

// Text of a Jet 4 / ACE text or memo value: UTF-16LE, or the "compressed"
// form (FF FE, then runs of one-byte characters and two-byte characters
// switched by a zero byte).
QString DecodeJet4Text(const QByteArray& bytes);

// A replication id (GUID) as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
QString GuidText(const unsigned char* p16);

// An ACE "Date/Time Extended" value: ASCII digits "days:ticks:version" (days
// since 0001-01-01, ticks of 100 ns since midnight). Text as JetDateText, with
// up to seven decimals of seconds; nothing when it does not read so.
std::optional<QString> ExtendedDateText(const QByteArray& raw);

}  // namespace st::import
