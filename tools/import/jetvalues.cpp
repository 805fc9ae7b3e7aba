#include "tools/import/jetvalues.h"

#include <QDate>
#include <cmath>

namespace st::import {
namespace {

constexpr qint64 kMsPerDay = 86400000;

QString dateTimeText(const QDate& date, qint64 msOfDay) {
    const qint64 s = msOfDay / 1000;
    QString t = QStringLiteral("%1-%2-%3 %4:%5:%6")
                    .arg(date.year(), 4, 10, QLatin1Char('0'))
                    .arg(date.month(), 2, 10, QLatin1Char('0'))
                    .arg(date.day(), 2, 10, QLatin1Char('0'))
                    .arg(s / 3600, 2, 10, QLatin1Char('0'))
                    .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                    .arg(s % 60, 2, 10, QLatin1Char('0'));
    if (msOfDay % 1000) t += QStringLiteral(".%1").arg(msOfDay % 1000, 3, 10, QLatin1Char('0'));
    return t;
}

bool inAccessRange(const QDate& d) {
    return d.isValid() && d.year() >= 100 && d.year() <= 9999;
}

}  // namespace

std::optional<QString> JetDateText(double days) {
    // 100-01-01 is day -657434, 9999-12-31 day 2958465.
    if (!std::isfinite(days) || days < -657435.0 || days > 2958466.0) return std::nullopt;
    const double whole = std::trunc(days);
    qint64 ms = std::llround(std::fabs(days - whole) * double(kMsPerDay));
    qint64 day = qint64(whole);
    if (ms >= kMsPerDay) {  // rounded up to the next midnight
        ms -= kMsPerDay;
        ++day;
    }
    const QDate date = QDate(1899, 12, 30).addDays(day);
    if (!inAccessRange(date)) return std::nullopt;
    return dateTimeText(date, ms);
}

QString DecodeJet4Text(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        QString out;
        out.reserve(n);
        bool compressed = true;
        for (qsizetype i = 2; i < n;) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                out.append(QChar(p[i]));
                ++i;
            } else if (i + 1 < n) {
                out.append(QChar(char16_t(p[i] | (p[i + 1] << 8))));
                i += 2;
            } else {
                break;  // a lone last byte carries no character
            }
        }
        return out;
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), n / 2);
}

QString GuidText(const unsigned char* k) {
    return QString::asprintf(
        "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", k[3], k[2], k[1],
        k[0], k[5], k[4], k[7], k[6], k[8], k[9], k[10], k[11], k[12], k[13], k[14], k[15]);
}

std::optional<QString> ExtendedDateText(const QByteArray& raw) {
    QByteArray s = raw;
    while (!s.isEmpty() && (s.back() == '\0' || s.back() == ' ')) s.chop(1);
    const QList<QByteArray> parts = s.split(':');
    if (parts.size() != 3) return std::nullopt;
    bool okDays = false, okTicks = false;
    const qint64 days = parts[0].toLongLong(&okDays);
    const qint64 ticks = parts[1].toLongLong(&okTicks);
    constexpr qint64 kTicksPerDay = 864000000000LL;
    if (!okDays || !okTicks || ticks < 0 || ticks >= kTicksPerDay) return std::nullopt;
    const QDate date = QDate(1, 1, 1).addDays(days);
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) return std::nullopt;
    QString t = dateTimeText(date, (ticks / 10000000) * 1000);
    if (const qint64 frac = ticks % 10000000) {
        QString f = QString::number(frac).rightJustified(7, u'0');
        while (f.endsWith(u'0')) f.chop(1);
        t += u'.' + f;
    }
    return t;
}

}  // namespace st::import
