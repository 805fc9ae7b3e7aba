#pragma once
#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

namespace st::app {

// A language module: a Qt binary resource file (rcc -binary) holding the same
// named resources as the program. It is registered as data only; nothing in
// it runs. Unregistered when the last reference goes.
class LanguageModule {
  public:
    static std::shared_ptr<LanguageModule> load(const QString& file);
    ~LanguageModule();
    LanguageModule(const LanguageModule&) = delete;
    LanguageModule& operator=(const LanguageModule&) = delete;
    QString file() const { return file_; }
    QString root() const { return root_; }

  private:
    LanguageModule(QString file, QString root) : file_(std::move(file)), root_(std::move(root)) {}
    QString file_;
    QString root_;
};

// The resource set the program reads its layouts, word table, RTF snippets
// and pictures from: its own (compiled in) or one language module. Resources
// are named by type and name, both matched without regard to case.
class ResourceSet {
  public:
    static ResourceSet& current();

    bool isOwn() const { return !module_; }
    std::shared_ptr<LanguageModule> module() const { return module_; }
    // Makes module (nullptr: the program itself) the current set; a module
    // that was current is released.
    void setModule(std::shared_ptr<LanguageModule> module);

    std::optional<QByteArray> find(const QString& type, const QString& name) const;

  private:
    std::shared_ptr<LanguageModule> module_;
};

// The root of the program's own resources.
inline const QString kOwnResourceRoot = QStringLiteral(":/builtin");

void SetResourceModule(std::shared_ptr<LanguageModule> module);

// The file name of the module for a language code: the program path without
// its extension (a dot after the last separator), ".", the code upper-cased.
QString LanguageModulePath(const QString& programPath, const QString& code);

class IniFile;
// Chooses the resource set from [Names] Language before anything reads a
// resource. A missing or unloadable module leaves the current set, silently.
void SelectLanguageModule(const QString& programPath, const IniFile& ini);

}  // namespace st::app
