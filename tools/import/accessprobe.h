#pragma once
#include <QString>

namespace st::import {

// What the first page of a file says about it.
struct AccessHeader {
    bool ok = false;
    int version = -1;  // 0 Jet 3, 1 Jet 4, 2 and up ACE (.accdb)
    int pageSize = 0;
    QString format;   // "Jet 3", "Jet 4", "ACE 12", ...
    QString problem;  // why it is not (or not a whole) Access file
};

// Reads only the header: the signature "Standard Jet DB" / "Standard ACE DB",
// the version byte, and whether the size is a whole number of pages (a
// truncated copy is not). Never throws.
AccessHeader ProbeAccessFile(const QString& path);

}  // namespace st::import
