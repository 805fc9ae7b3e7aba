#include "tools/import/olepicture.h"

#include <QtEndian>
#include <array>
#include <cstring>
#include <optional>

namespace st::import {
namespace {

using Bytes = const unsigned char*;

quint16 u16(Bytes p) {
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(Bytes p) {
    return qFromLittleEndian<quint32>(p);
}
quint32 u32be(Bytes p) {
    return qFromBigEndian<quint32>(p);
}

Bytes bytesOf(const QByteArray& a) {
    return reinterpret_cast<Bytes>(a.constData());
}

qsizetype bmpLength(Bytes p, qsizetype n) {
    if (n < 26 || p[0] != 'B' || p[1] != 'M') return 0;
    const quint32 size = u32(p + 2);
    const quint32 dib = u32(p + 14);
    const bool dibOk =
        dib == 12 || dib == 40 || dib == 52 || dib == 56 || dib == 64 || dib == 108 || dib == 124;
    if (!dibOk || size < 14 + dib || size > quint64(n)) return 0;
    return qsizetype(size);
}

qsizetype pngLength(Bytes p, qsizetype n) {
    static const unsigned char sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (n < 8 || memcmp(p, sig, 8) != 0) return 0;
    qsizetype pos = 8;
    while (pos + 12 <= n) {
        const quint64 len = u32be(p + pos);
        const bool end = memcmp(p + pos + 4, "IEND", 4) == 0;
        if (len > quint64(n - pos - 12)) return 0;
        pos += qsizetype(len) + 12;
        if (end) return pos;
    }
    return 0;
}

// Sub-blocks: a length byte, that many bytes, until a zero length.
qsizetype skipSubBlocks(Bytes p, qsizetype n, qsizetype pos) {
    while (pos < n) {
        const int len = p[pos++];
        if (len == 0) return pos;
        pos += len;
    }
    return -1;
}

qsizetype gifLength(Bytes p, qsizetype n) {
    if (n < 13 || (memcmp(p, "GIF87a", 6) != 0 && memcmp(p, "GIF89a", 6) != 0)) return 0;
    qsizetype pos = 13;
    if (p[10] & 0x80) pos += 3 * (qsizetype(1) << ((p[10] & 7) + 1));
    while (pos > 0 && pos < n) {
        const unsigned char b = p[pos];
        if (b == 0x3B) return pos + 1;
        if (b == 0x21) {
            if (pos + 2 > n) return 0;
            pos = skipSubBlocks(p, n, pos + 2);
        } else if (b == 0x2C) {
            if (pos + 10 > n) return 0;
            const unsigned char flags = p[pos + 9];
            pos += 10;
            if (flags & 0x80) pos += 3 * (qsizetype(1) << ((flags & 7) + 1));
            pos = skipSubBlocks(p, n, pos + 1);  // after the LZW code size
        } else {
            return 0;
        }
    }
    return 0;
}

qsizetype jpegLength(Bytes p, qsizetype n) {
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8) return 0;
    qsizetype pos = 2;
    while (pos + 1 < n) {
        if (p[pos] != 0xFF) return 0;
        const unsigned char m = p[pos + 1];
        if (m == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (m == 0xD9) return pos + 2;
        if ((m >= 0xD0 && m <= 0xD7) || m == 0x01) {
            pos += 2;
            continue;
        }
        if (pos + 4 > n) return 0;
        const int len = (p[pos + 2] << 8) | p[pos + 3];
        if (len < 2) return 0;
        pos += 2 + len;
        if (m == 0xDA) {
            // Entropy-coded data runs to the next marker that is neither a
            // stuffed zero nor a restart.
            while (pos + 1 < n && !(p[pos] == 0xFF && p[pos + 1] != 0 &&
                                    !(p[pos + 1] >= 0xD0 && p[pos + 1] <= 0xD7)))
                ++pos;
        }
    }
    return 0;
}

qsizetype wmfLength(Bytes p, qsizetype n) {
    qsizetype base = 0;
    if (n >= 4 && u32(p) == 0x9AC6CDD7u) base = 22;  // placeable header first
    if (n < base + 18) return 0;
    const quint16 type = u16(p + base), header = u16(p + base + 2);
    if ((type != 1 && type != 2) || header != 9) return 0;
    const quint64 words = u32(p + base + 6);
    const quint64 total = quint64(base) + words * 2;
    if (words < 9 || total > quint64(n)) return 0;
    return qsizetype(total);
}

qsizetype emfLength(Bytes p, qsizetype n) {
    if (n < 88 || u32(p) != 1 || memcmp(p + 40, " EMF", 4) != 0) return 0;
    const quint32 size = u32(p + 48);
    if (size < 88 || size > quint64(n)) return 0;
    return qsizetype(size);
}

qsizetype icoLength(Bytes p, qsizetype n) {
    if (n < 6 || u16(p) != 0 || u16(p + 2) != 1) return 0;
    const int count = u16(p + 4);
    if (count == 0 || 6 + 16 * qsizetype(count) > n) return 0;
    quint64 end = 6 + 16 * quint64(count);
    for (int i = 0; i < count; ++i) {
        Bytes e = p + 6 + 16 * i;
        const quint64 last = quint64(u32(e + 8)) + u32(e + 12);
        if (u32(e + 12) < 6 + 16 * quint64(count) || last > quint64(n)) return 0;
        end = std::max(end, last);
    }
    return qsizetype(end);
}

constexpr std::array<PictureFormat, 7> kAll = {
    PictureFormat::Bmp, PictureFormat::Jpeg, PictureFormat::Png, PictureFormat::Gif,
    PictureFormat::Wmf, PictureFormat::Emf,  PictureFormat::Ico};

// A cursor over the OLE structures; every read checks the bounds.
struct Reader {
    Bytes p;
    qsizetype n;
    qsizetype pos = 0;
    bool ok = true;
    quint32 u32v() {
        if (pos + 4 > n) return fail();
        pos += 4;
        return u32(p + pos - 4);
    }
    quint16 u16v() {
        if (pos + 2 > n) return fail();
        pos += 2;
        return u16(p + pos - 2);
    }
    QByteArray bytes(quint64 len) {
        if (len > quint64(n - pos)) return fail(), QByteArray();
        pos += qsizetype(len);
        return QByteArray(reinterpret_cast<const char*>(p + pos - len), qsizetype(len));
    }
    QByteArray zstring() {
        const void* z = memchr(p + pos, 0, size_t(n - pos));
        if (!z) return fail(), QByteArray();
        return bytes(quint64(static_cast<Bytes>(z) - (p + pos)) + 1).chopped(1);
    }
    quint32 fail() {
        ok = false;
        return 0;
    }
};

// The packager's record: a label, the original path, then the file itself.
std::optional<QByteArray> packageFile(const QByteArray& native, QString* name) {
    Reader r{bytesOf(native), native.size()};
    r.u16v();
    const QByteArray label = r.zstring();
    r.zstring();  // original path
    r.u16v();
    const quint16 type = r.u16v();
    if (!r.ok || type != 3) return std::nullopt;  // 3: an embedded file, 1: a link
    r.bytes(r.u32v());                            // temporary path
    const QByteArray file = r.bytes(r.u32v());
    if (!r.ok) return std::nullopt;
    *name = QString::fromLatin1(label);
    return file;
}

struct OleObject {
    QString className;
    QByteArray native;
};

// The Access object header (signature 0x1C15) and the OLE 1 stream after it.
std::optional<OleObject> readOleObject(const QByteArray& value) {
    Reader r{bytesOf(value), value.size()};
    if (r.u16v() != 0x1C15) return std::nullopt;
    const quint16 headerSize = r.u16v();
    if (!r.ok || headerSize < 20 || headerSize > value.size()) return std::nullopt;
    r.pos = headerSize;
    r.u32v();  // OLE version
    const quint32 format = r.u32v();
    OleObject o;
    o.className = QString::fromLatin1(r.bytes(r.u32v())).remove(QChar(0));
    r.bytes(r.u32v());                              // topic
    r.bytes(r.u32v());                              // item
    if (!r.ok || format != 2) return std::nullopt;  // 2: embedded; 1 would be a link
    o.native = r.bytes(r.u32v());
    if (!r.ok) return std::nullopt;
    return o;
}

// The first picture of a wanted format found in the bytes, cut to its length.
std::optional<QByteArray> findPicture(const QByteArray& data, PictureFormat want) {
    static const QByteArray sigs[] = {
        QByteArray("BM"),
        QByteArray("\xFF\xD8\xFF", 3),
        QByteArray("\x89PNG", 4),
        QByteArray("GIF8"),
        QByteArray("\xD7\xCD\xC6\x9A", 4),
        QByteArray("\x01\x00\x00\x00", 4),
        QByteArray("\x00\x00\x01\x00", 4),
    };
    for (size_t k = 0; k < kAll.size(); ++k) {
        const PictureFormat f = kAll[k];
        if (want != PictureFormat::Unknown && f != want) continue;
        for (qsizetype at = data.indexOf(sigs[k]); at >= 0; at = data.indexOf(sigs[k], at + 1)) {
            const QByteArray rest =
                QByteArray::fromRawData(data.constData() + at, data.size() - at);
            if (const qsizetype len = PictureFileLength(rest, f)) return data.mid(at, len);
        }
    }
    return std::nullopt;
}

}  // namespace

PictureFormat FormatOfExtension(const QString& ext) {
    QString e = ext.trimmed().toUpper();
    if (e.startsWith(u'.')) e.remove(0, 1);
    if (e == u"BMP" || e == u"DIB") return PictureFormat::Bmp;
    if (e == u"JPG" || e == u"JPEG" || e == u"JPE" || e == u"JFIF") return PictureFormat::Jpeg;
    if (e == u"PNG") return PictureFormat::Png;
    if (e == u"GIF") return PictureFormat::Gif;
    if (e == u"WMF") return PictureFormat::Wmf;
    if (e == u"EMF") return PictureFormat::Emf;
    if (e == u"ICO") return PictureFormat::Ico;
    return PictureFormat::Unknown;
}

QString FormatName(PictureFormat f) {
    switch (f) {
        case PictureFormat::Bmp:
            return QStringLiteral("BMP");
        case PictureFormat::Jpeg:
            return QStringLiteral("JPEG");
        case PictureFormat::Png:
            return QStringLiteral("PNG");
        case PictureFormat::Gif:
            return QStringLiteral("GIF");
        case PictureFormat::Wmf:
            return QStringLiteral("WMF");
        case PictureFormat::Emf:
            return QStringLiteral("EMF");
        case PictureFormat::Ico:
            return QStringLiteral("ICO");
        case PictureFormat::Unknown:
            break;
    }
    return QStringLiteral("unknown");
}

qsizetype PictureFileLength(const QByteArray& data, PictureFormat f) {
    Bytes p = bytesOf(data);
    const qsizetype n = data.size();
    switch (f) {
        case PictureFormat::Bmp:
            return bmpLength(p, n);
        case PictureFormat::Jpeg:
            return jpegLength(p, n);
        case PictureFormat::Png:
            return pngLength(p, n);
        case PictureFormat::Gif:
            return gifLength(p, n);
        case PictureFormat::Wmf:
            return wmfLength(p, n);
        case PictureFormat::Emf:
            return emfLength(p, n);
        case PictureFormat::Ico:
            return icoLength(p, n);
        case PictureFormat::Unknown:
            break;
    }
    return 0;
}

PictureFormat DetectPictureFormat(const QByteArray& data) {
    for (PictureFormat f : kAll)
        if (PictureFileLength(data, f) > 0) return f;
    // A file cut short still starts like one: it is no wrapper either.
    Bytes p = bytesOf(data);
    const qsizetype n = data.size();
    if (n >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) return PictureFormat::Jpeg;
    if (n >= 4 && memcmp(p, "\x89PNG", 4) == 0) return PictureFormat::Png;
    if (n >= 4 && memcmp(p, "GIF8", 4) == 0) return PictureFormat::Gif;
    return PictureFormat::Unknown;
}

UnwrappedPicture UnwrapPicture(const QByteArray& value, const QString& pictureExt) {
    UnwrappedPicture out;
    out.data = value;
    if (value.isEmpty() || DetectPictureFormat(value) != PictureFormat::Unknown) return out;
    const PictureFormat want = FormatOfExtension(pictureExt);
    const QString wantName =
        want == PictureFormat::Unknown ? QStringLiteral("a picture") : FormatName(want);
    out.kind = UnwrappedPicture::Kept;
    const std::optional<OleObject> ole = readOleObject(value);
    if (!ole) {
        out.detail = QStringLiteral("neither a picture file nor an embedded OLE object");
        return out;
    }
    QByteArray payload = ole->native;
    QString from = QStringLiteral("OLE object \"%1\"").arg(ole->className);
    if (ole->className.compare(u"Package", Qt::CaseInsensitive) == 0) {
        QString name;
        const std::optional<QByteArray> file = packageFile(ole->native, &name);
        if (!file) {
            out.detail = QStringLiteral("%1 holds no embedded file").arg(from);
            return out;
        }
        payload = *file;
        from = QStringLiteral("OLE package \"%1\"").arg(name);
    }
    const PictureFormat found = DetectPictureFormat(payload);
    if (found != PictureFormat::Unknown && want != PictureFormat::Unknown && found != want) {
        out.detail = QStringLiteral("%1 holds a %2 file, but PictureExt is \"%3\"")
                         .arg(from, FormatName(found), pictureExt);
        return out;
    }
    // Native data that is not the file itself (an OLE 2 storage, say) still
    // carries it whole inside; its own structure tells where it ends.
    const std::optional<QByteArray> pic = findPicture(payload, want);
    if (!pic) {
        out.detail = QStringLiteral("no %1 file found in %2").arg(wantName, from);
        return out;
    }
    out.kind = UnwrappedPicture::Unwrapped;
    out.data = *pic;
    out.detail =
        QStringLiteral("%1 file taken out of %2").arg(FormatName(DetectPictureFormat(*pic)), from);
    return out;
}

}  // namespace st::import
