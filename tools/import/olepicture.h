#pragma once
#include <QByteArray>
#include <QString>

namespace st::import {

enum class PictureFormat { Unknown, Bmp, Jpeg, Png, Gif, Wmf, Emf, Ico };

// ".JPG", "jpeg", "BMP", ... (letter case and the dot do not matter).
PictureFormat FormatOfExtension(const QString& ext);
QString FormatName(PictureFormat f);
// The format whose signature the bytes start with.
PictureFormat DetectPictureFormat(const QByteArray& data);
// Length of the picture file of that format at the start of data, read from
// its own structure (header sizes, chunks, markers); 0 when it does not parse
// within the bytes given.
qsizetype PictureFileLength(const QByteArray& data, PictureFormat f);

struct UnwrappedPicture {
    enum Kind {
        Plain,      // already a picture file (or empty): kept as stored
        Unwrapped,  // the file taken out of its OLE wrapper
        Kept,       // could not be unwrapped to the wanted format: kept as stored
    };
    Kind kind = Plain;
    QByteArray data;
    QString detail;  // for Unwrapped and Kept: what was found
};

// Takes the picture file out of the OLE object that Access wraps around
// values stored through its own interface: the Access object header, the
// OLE 1 stream, and for "Package" objects the packager's file record. The
// result must be of the format that pictureExt names (any known one when
// the extension is unknown or empty); otherwise the value stays as it was.
UnwrappedPicture UnwrapPicture(const QByteArray& value, const QString& pictureExt);

}  // namespace st::import
