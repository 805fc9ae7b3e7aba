#include "app/datamodule.h"

#include <QDir>
#include <QFileInfo>

#include "app/inifile.h"
#include "app/localtexts.h"
#include "app/messages.h"
#include "app/resourceset.h"
#include "app/settings.h"
#include "db/connstring.h"
#include "text/richcharset.h"

namespace st::app {

namespace {
TdmMain* g_instance = nullptr;
}

TdmMain::TdmMain(QObject* parent)
    : QObject(parent),
      quExpert(nullptr, QStringLiteral("Select * from expert")),
      tblPicOrg(nullptr, st::db::tables::PictureOrigins, QStringLiteral("PrimaryKey")) {
    setObjectName(QStringLiteral("dmMain"));
    g_instance = this;
    DataModuleCreate();
}

TdmMain::~TdmMain() {
    quExpert.close();
    tblPicOrg.close();
    if (g_instance == this) g_instance = nullptr;
}

TdmMain* TdmMain::instance() {
    return g_instance;
}

void TdmMain::DataModuleCreate() {
    isBaseOpen = false;
    icoLoaded = false;
    hasPicori = true;
    const auto words =
        ResourceSet::current().find(QStringLiteral("Strings"), QStringLiteral("Local_Words"));
    name_list = WordTable::parse(words.value_or(QByteArray()));
    SetLocalTexts();
}

int TdmMain::languageNumber() const {
    return LanguageNumber(LangPack);
}

void TdmMain::SetLocalTexts() {
    const auto layout = LoadLayout(QStringLiteral("TdmMain"));
    prgName = LayoutValue(layout, QStringLiteral("prgName"), QStringLiteral("caption"));
    prgLabl = LayoutValue(layout, QStringLiteral("prgLabl"), QStringLiteral("caption"));
    prgAbbr = LayoutValue(layout, QStringLiteral("prgAbbr"), QStringLiteral("caption"));
    LangPack = LayoutValue(layout, QStringLiteral("LangPack"), QStringLiteral("caption"));
    const int lang = languageNumber();
    text_err_no_database = ComposeText(TextId::errNoDatabase, lang, name_list);
    text_db_name_missing = ComposeText(TextId::dbNameMissing, lang, name_list);
}

st::db::OptionalSchema TdmMain::OptionalSchemaOf(const st::db::Database& db) {
    if (g_instance && g_instance->connection() == &db) return g_instance->optional();
    return st::db::DetectOptionalSchema(db);
}

void TdmMain::StartAnonymous() {
    login_name = QStringLiteral("Anonymous");
    login_id = -2;
    is_Anonymous = true;
}

void TdmMain::addBaseOpener(std::function<void()> opener) {
    openers_.push_back(std::move(opener));
}

QString TdmMain::AccessDatabaseMessage(const QString& path) {
    return QStringLiteral(
               "%1: this is an Access database; convert it with searchtool-import:\n\n"
               "    searchtool-import \"%1\" \"%2\"\n\n"
               "then set DB_Name in SearchTool.ini to the new file.")
        .arg(path, QFileInfo(path).completeBaseName() + QStringLiteral(".db"));
}

void TdmMain::OpenBases() {
    if (isBaseOpen) return;
    isBaseOpen = true;
    BusyCursor busy;
    quExpert.setDatabase(nullptr);
    tblPicOrg.setDatabase(nullptr);
    db_.reset();

    const IniFile ini = IniFile::current();
    const QString dbName = ini.readString(ini::Names, ini::DB_Name);
    if (dbName.isEmpty()) {
        busy.restore();
        ShowMessage(text_db_name_missing + IniFile::currentPath());
        Flags().showMainForm = false;
        RequestTermination();
        return;
    }
    try {
        const QString path = st::db::ResolveDbPath(dbName, QDir::currentPath());
        if (st::db::LooksLikeAccessFile(path)) {
            busy.restore();
            ShowMessage(AccessDatabaseMessage(path));
            Flags().showMainForm = false;
            RequestTermination();
            return;
        }
        connectionString_ = st::db::ReplaceDataSource(st::db::kDesignConnectionString, path);
        db_ = st::db::Database::open(st::db::DataSourceOf(connectionString_));
        optional_ = st::db::DetectOptionalSchema(*db_);
    } catch (const st::db::DbError&) {
        db_.reset();
        busy.restore();
        ShowMessage(text_err_no_database);
        Flags().showMainForm = false;
        RequestTermination();
        return;
    }
    quExpert.setDatabase(db_.get());
    tblPicOrg.setDatabase(db_.get());
    hasPicori = optional_.pictureOrigins;

    st::text::SetCharsetOverride(ini.readInteger(ini::Names, ini::Charset, -1));

    login_name = ini.readString(ini::Names, ini::login_name);
    if (!login_name.isEmpty()) {
        bool found = false;
        try {
            for (quExpert.open(); !quExpert.eof(); quExpert.next())
                if (quExpert.field(QStringLiteral("expert_login"))
                        .toString()
                        .compare(login_name, Qt::CaseInsensitive) == 0) {
                    found = true;
                    break;
                }
        } catch (const st::db::DbError& e) {
            ShowMessage(e.text());
        }
        if (!found) login_name.clear();
    }
    quExpert.close();
    busy.restore();
    for (const auto& open : openers_) open();
}

}  // namespace st::app
