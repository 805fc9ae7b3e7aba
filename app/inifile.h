#pragma once
#include <QString>

namespace st::app {

// A settings file in the private-profile (INI) format. Every call reads or
// writes the file afresh; section and key names are matched without regard
// to case. Read as UTF-8 (with or without a byte-order mark), falling back to
// windows-1251 for files that are not valid UTF-8; written as UTF-8.
class IniFile {
  public:
    explicit IniFile(const QString& path);
    // "SearchTool.ini" in the current directory, as it is at this moment.
    static IniFile current();
    static QString currentPath();

    QString path() const { return path_; }

    QString readString(const QString& section, const QString& key,
                       const QString& def = QString()) const;
    // Decimal, or hexadecimal after "0x" or "$"; def when missing or not a number.
    int readInteger(const QString& section, const QString& key, int def) const;
    bool hasKey(const QString& section, const QString& key) const;

    // Creates the file, the section and the key as needed. The file is
    // replaced whole (temporary file + rename) under a lock, so a failed write
    // leaves the old file and two writers keep each other's keys. Returns
    // false when the file could not be written.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInteger(const QString& section, const QString& key, int value);

  private:
    QString path_;
};

// Integer text as the profile reads it: decimal, "0x"/"$" hexadecimal.
bool ParseProfileInteger(const QString& text, int* out);

}  // namespace st::app
