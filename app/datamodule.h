#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "app/wordtable.h"
#include "db/database.h"
#include "db/query.h"
#include "db/schema.h"
#include "db/tablecursor.h"

namespace st::app {

// The data module: one per process. Owns the connection, the expert query,
// the picture-origin table, the program-name texts, the word table and the
// login state.
class TdmMain : public QObject {
    Q_OBJECT
  public:
    explicit TdmMain(QObject* parent = nullptr);
    ~TdmMain() override;
    static TdmMain* instance();  // the process's data module (nullptr before creation)

    void DataModuleCreate();
    void SetLocalTexts();

    // Once-only opening of the database, then the wiring of the windows
    // registered with addBaseOpener, in registration order.
    void OpenBases();
    void addBaseOpener(std::function<void()> opener);

    st::db::Database* connection() const { return db_.get(); }
    QString connectionString() const { return connectionString_; }
    const st::db::OptionalSchema& optional() const { return optional_; }
    // The optional parts of a connection's schema: as detected at opening for
    // the process's own connection, looked up for any other.
    static st::db::OptionalSchema OptionalSchemaOf(const st::db::Database& db);

    // Login state.
    bool isBaseOpen = false;
    bool hasPicori = true;
    QString login_name;
    int login_id = -2;
    bool is_Anonymous = false;
    void StartAnonymous();

    // Texts of the current resource set.
    QString prgName, prgLabl, prgAbbr, LangPack;
    int languageNumber() const;
    WordTable name_list;
    QString text_err_no_database;
    // What the user is told when DB_Name names an Access file.
    static QString AccessDatabaseMessage(const QString& path);
    QString text_db_name_missing;

    st::db::Query quExpert;  // "Select * from expert"
    st::db::TableCursor tblPicOrg;

  private:
    bool icoLoaded = false;
    std::unique_ptr<st::db::Database> db_;
    QString connectionString_;
    st::db::OptionalSchema optional_;
    std::vector<std::function<void()>> openers_;
};

}  // namespace st::app
