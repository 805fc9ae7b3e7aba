#include "text/codepage.h"

#include <QStringDecoder>
#include <array>

namespace st::text {
namespace {

constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

char16_t unicodeOf(unsigned char b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return char16_t(0x0410 + (b - 0xC0));
    return kHigh[b - 0x80];
}

}  // namespace

QString decodeCp1251(const QByteArray& bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(unicodeOf(static_cast<unsigned char>(bytes[i])));
    return out;
}

int cp1251Byte(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80) return u;
    if (u >= 0x0410 && u <= 0x044F) return 0xC0 + (u - 0x0410);
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == u) return 0x80 + i;
    return -1;
}

QByteArray encodeCp1251(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const int b = cp1251Byte(c);
        out.append(b < 0 ? '?' : char(b));
    }
    return out;
}

QString decodeText(const QByteArray& bytes, bool allowUtf8WithoutBom) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        auto enc =
            bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
        QStringDecoder dec(enc);
        return dec(bytes.mid(2));
    }
    if (allowUtf8WithoutBom) {
        QStringDecoder dec(QStringConverter::Utf8);
        QString s = dec(bytes);
        if (!dec.hasError()) return s;
    }
    return decodeCp1251(bytes);
}

}  // namespace st::text
