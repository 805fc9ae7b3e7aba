#include "app/resourceset.h"

#include <QDir>
#include <QFile>
#include <QResource>
#include <atomic>

#include "app/inifile.h"
#include "app/settings.h"

namespace st::app {

std::shared_ptr<LanguageModule> LanguageModule::load(const QString& file) {
    static std::atomic<int> counter{0};
    if (!QFile::exists(file)) return nullptr;
    const QString root = QStringLiteral("/langmodule%1").arg(++counter);
    if (!QResource::registerResource(file, root)) return nullptr;
    return std::shared_ptr<LanguageModule>(new LanguageModule(file, root));
}

LanguageModule::~LanguageModule() {
    QResource::unregisterResource(file_, root_);
}

ResourceSet& ResourceSet::current() {
    static ResourceSet set;
    return set;
}

void ResourceSet::setModule(std::shared_ptr<LanguageModule> module) {
    module_ = std::move(module);
}

std::optional<QByteArray> ResourceSet::find(const QString& type, const QString& name) const {
    const QString root = module_ ? u':' + module_->root() : kOwnResourceRoot;
    const QDir rootDir(root);
    for (const QString& t : rootDir.entryList(QDir::Dirs)) {
        if (t.compare(type, Qt::CaseInsensitive) != 0) continue;
        const QDir typeDir(rootDir.filePath(t));
        for (const QString& n : typeDir.entryList(QDir::Files)) {
            if (n.compare(name, Qt::CaseInsensitive) != 0) continue;
            QFile f(typeDir.filePath(n));
            if (f.open(QIODevice::ReadOnly)) return f.readAll();
        }
    }
    return std::nullopt;
}

void SetResourceModule(std::shared_ptr<LanguageModule> module) {
    ResourceSet::current().setModule(std::move(module));
}

QString LanguageModulePath(const QString& programPath, const QString& code) {
    QString base = programPath;
    const qsizetype dot = base.lastIndexOf(u'.');
    const qsizetype sep = std::max(base.lastIndexOf(u'/'), base.lastIndexOf(u'\\'));
    if (dot > sep) base.truncate(dot);
    return base + u'.' + code.toUpper();
}

void SelectLanguageModule(const QString& programPath, const IniFile& ini) {
    const QString code = ReadLanguageCode(ini).toUpper();
    if (code.isEmpty()) return;
    if (code == QStringLiteral("ENG")) {
        SetResourceModule(nullptr);
        return;
    }
    auto module = LanguageModule::load(LanguageModulePath(programPath, code));
    if (!module) return;
    SetResourceModule(std::move(module));
}

}  // namespace st::app
