#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/application.h"
#include "app/datamodule.h"
#include "app/labelbinding.h"
#include "app/messages.h"
#include "app/resourceset.h"
#include "app/searchresults.h"
#include "app/startup.h"
#include "search/selector.h"
#include "text/richcharset.h"
#include "tools/builder.h"
#include "tree/treev.h"
#include "users/login.h"

using namespace st::app;

namespace {

const char* kFixture = R"({
  "experts": [{"id": 7, "login": "Олена", "password": "pw", "name": "O"}],
  "entries": [{"kind": "list", "id": 10, "title": "Перелік", "children": [{"title": "Насоси"}]}]
})";

const QString kProgram = QStringLiteral(ST_BIN_DIR "/searchtool");

// Answers whatever modal window comes up while the event loop runs.
class ModalAnswerer : public QObject {
  public:
    std::function<void(QWidget*)> answer;
    QStringList seen;
    ModalAnswerer() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || w == last_) return;
            last_ = w;
            seen << w->objectName();
            if (answer) answer(w);
        });
        timer_.start();
    }

  private:
    QTimer timer_;
    QWidget* last_ = nullptr;
};

EditionSwitches noLogin() {
    EditionSwitches e;
    e.askLogin = false;
    return e;
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString oldCwd;
    QStringList messages;

    void writeIni(const QByteArray& text) {
        QFile f(dir.filePath("SearchTool.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    // Runs the posted deferred start and whatever it shows.
    void runDeferredStart() {
        for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

  private slots:
    void initTestCase() {
        st::tools::BuildDatabaseFromText(kFixture, dir.filePath("fixture.db"));
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        SetMessageHook([this](const QString& m) { messages << m; });
    }
    void cleanupTestCase() { QDir::setCurrent(oldCwd); }
    void init() { messages.clear(); }
    void cleanup() {
        SetResourceModule(nullptr);
        st::text::SetCharsetOverride(-1);
    }

    void ordinaryStartOpensTheDatabaseAfterShowing() {
        writeIni("[Names]\nDB_Name=fixture.db\nCharset=204\n");
        Program p(noLogin());
        ModalAnswerer modal;
        bool allChosen = false, currDisabled = false, mainEnabledUnderSelector = false;
        modal.answer = [&](QWidget* w) {
            auto* sel = qobject_cast<st::search::TfrmSelector*>(w);
            if (!sel) return;
            allChosen = sel->rbuAll->isChecked() && sel->focusWidget() == sel->rbuAll;
            currDisabled = !sel->rbuCurr->isEnabled() && !sel->lblCurr->isEnabled();
            mainEnabledUnderSelector = p.frmSearchResults->isEnabled();
            sel->btnCancel->click();
        };
        QVERIFY(p.start(kProgram, {}));
        QVERIFY(p.frmSearchResults->isVisible());
        QVERIFY(p.frmSearchResults->windowState() & Qt::WindowMaximized);
        QVERIFY(!p.frmSearchResults->isEnabled());
        QVERIFY(!p.dmMain->isBaseOpen);  // nothing reads the database before the loop
        QCOMPARE(p.dmMain->login_name, QString("Anonymous"));
        QVERIFY(p.dmMain->is_Anonymous);
        QCOMPARE(p.dmMain->login_id, -2);

        runDeferredStart();
        QVERIFY(p.dmMain->connection());
        QVERIFY(p.frmSearchResults->isEnabled());
        QVERIFY(p.frmSearchResults->basesWired());
        QCOMPARE(modal.seen, QStringList{"frmSelector"});
        QVERIFY(allChosen);
        QVERIFY(currDisabled);
        QVERIFY(mainEnabledUnderSelector);
        QCOMPARE(st::text::CharsetOverride(), 204);
        QCOMPARE(p.frmSearchResults->trView->model()->count(),
                 0);  // cancelled: the tree stays empty
        QVERIFY(messages.isEmpty());
        QVERIFY(!Flags().terminated);
        // Closing the main window ends the program.
        p.frmSearchResults->btClose->click();
        QVERIFY(!p.frmSearchResults->isVisible());
        QVERIFY(Flags().terminated);
    }

    void excludedListsStartUnticked() {
        writeIni("[Names]\nDB_Name=fixture.db\n[Excluded]\nList_1=10\nList_2=0\nList_3=10\n");
        Program p(noLogin());
        ModalAnswerer modal;
        bool unticked = false;
        modal.answer = [&](QWidget* w) {
            if (auto* sel = qobject_cast<st::search::TfrmSelector*>(w)) {
                auto* box = sel->pnlLists->findChild<QCheckBox*>("chbList10");
                unticked = box && !box->isChecked();
                sel->btnOk->click();  // "Показати все вибране"
            }
        };
        QVERIFY(p.start(kProgram, {}));
        runDeferredStart();
        QVERIFY(unticked);
        // The hidden list's head stands as a crossed context node; its entries are not loaded.
        const auto* m = p.frmSearchResults->trView->model();
        QCOMPARE(m->count(), 1);
        QCOMPARE(m->node(0).data, -10);
        QCOMPARE(m->node(0).state, quint8(1));
    }

    void searchWordsGoToTheSearchFields() {
        writeIni("[Names]\nDB_Name=fixture.db\n");
        Program p(noLogin());
        ModalAnswerer modal;
        bool stringChosen = false;
        modal.answer = [&](QWidget* w) {
            if (auto* sel = qobject_cast<st::search::TfrmSelector*>(w)) {
                stringChosen = sel->rbuString->isChecked() && sel->focusWidget() == sel->btnOk;
                sel->btnCancel->click();
            }
        };
        QVERIFY(p.start(kProgram, {"laser%", "pump"}));
        QCOMPARE(p.frmSearchResults->Edit1->text(), QString("laser% pump"));
        runDeferredStart();
        QCOMPARE(p.frmSelector->ediString->text(), QString("laser% pump"));
        QVERIFY(stringChosen);
    }

    void databaseFailures_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("message");
        QTest::newRow("no DB_Name")
            << QByteArray("[Names]\nLanguage=\n")
            << "Unable to find DB_Name in section [Names] of " + dir.filePath("SearchTool.ini");
        QTest::newRow("no settings file")
            << QByteArray()
            << "Unable to find DB_Name in section [Names] of " + dir.filePath("SearchTool.ini");
        QTest::newRow("missing file")
            << QByteArray("[Names]\nDB_Name=gone.db\n") << "Unable to open database";
        QTest::newRow("not a database")
            << QByteArray("[Names]\nDB_Name=SearchTool.ini\n") << "Unable to open database";
        QTest::newRow("an Access file")
            << QByteArray("[Names]\nDB_Name=old.mdb\n")
            << TdmMain::AccessDatabaseMessage(dir.filePath("old.mdb"));
    }
    void databaseFailures() {
        QFETCH(QByteArray, ini);
        QFETCH(QString, message);
        {
            QFile access(dir.filePath("old.mdb"));
            QVERIFY(access.open(QIODevice::WriteOnly));
            access.write(QByteArray("\0\1\0\0Standard Jet DB\0", 20) + QByteArray(2000, '\0'));
        }
        if (ini.isEmpty())
            QFile::remove(dir.filePath("SearchTool.ini"));
        else
            writeIni(ini);
        Program p(noLogin());
        ModalAnswerer modal;
        QVERIFY(p.start(kProgram, {}));
        runDeferredStart();
        QCOMPARE(messages, QStringList{message});
        QVERIFY(Flags().terminated);
        QVERIFY(!Flags().showMainForm);
        QVERIFY(modal.seen.isEmpty());  // no selector
        QVERIFY(!p.frmSearchResults->basesWired());
        QVERIFY(!p.dmMain->connection());
        // Once only: a later call, even with a good database, does nothing.
        writeIni("[Names]\nDB_Name=fixture.db\n");
        p.dmMain->OpenBases();
        QVERIFY(p.dmMain->isBaseOpen);
        QVERIFY(!p.dmMain->connection());
        QCOMPARE(messages.size(), 1);
    }

    void rememberedLogin_data() {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("after");
        QTest::newRow("exists, other case") << u"олена"_qs << u"олена"_qs;
        QTest::newRow("gone") << "ghost"
                              << "";
        QTest::newRow("none") << ""
                              << "";
    }
    void rememberedLogin() {
        QFETCH(QString, remembered);
        QFETCH(QString, after);
        writeIni(("[Names]\nDB_Name=fixture.db\nlogin_name=" + remembered + "\n").toUtf8());
        Program p(noLogin());
        ModalAnswerer modal;
        modal.answer = [](QWidget* w) { w->close(); };
        QVERIFY(p.start(kProgram, {}));
        runDeferredStart();
        QCOMPARE(p.dmMain->login_name, after);
        QCOMPARE(p.dmMain->login_id, -2);  // untouched
        QVERIFY(p.dmMain->is_Anonymous);
    }

    void loginWindow_data() {
        QTest::addColumn<bool>("anonymous");
        QTest::newRow("anonymous start") << true;
        QTest::newRow("closed") << false;
    }
    void loginWindow() {
        QFETCH(bool, anonymous);
        writeIni("[Names]\nDB_Name=fixture.db\n");
        Program p;  // this build: the login window is asked
        ModalAnswerer modal;
        bool onlyAnonymous = false;
        modal.answer = [&](QWidget* w) {
            if (auto* login = qobject_cast<st::users::TfrmLogin*>(w)) {
                onlyAnonymous = !login->btnAnonymous->isHidden() && login->txtLogin->isHidden() &&
                                login->btnLogin->isHidden();
                if (anonymous)
                    login->btnAnonymous->click();
                else
                    login->reject();
            } else {
                w->close();
            }
        };
        QCOMPARE(p.start(kProgram, {}), anonymous);
        QVERIFY(onlyAnonymous);
        QCOMPARE(p.frmSearchResults->isVisible(), anonymous);
        QCOMPARE(p.dmMain->is_Anonymous, anonymous);
        QCOMPARE(Flags().terminated, !anonymous);
        if (anonymous) QCOMPARE(p.dmMain->login_name, QString("Anonymous"));
    }

    void captionsComeFromTheResourceSet_data() {
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<QString>("close");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("histEntire");
        QTest::newRow("own set") << QByteArray("") << u"Закрити"_qs << u"Відфільтровано"_qs
                                 << u"Контрольні списки: довідка і пошук"_qs << "All entries";
        QTest::newRow("ENG is the own set")
            << QByteArray("eng") << u"Закрити"_qs << u"Відфільтровано"_qs
            << u"Контрольні списки: довідка і пошук"_qs << "All entries";
        QTest::newRow("English module") << QByteArray("ENU") << "Close"
                                        << "Filtered"
                                        << "Control Lists: Reference and Search"
                                        << "Every entry";
    }
    void captionsComeFromTheResourceSet() {
        QFETCH(QByteArray, language);
        QFETCH(QString, close);
        QFETCH(QString, tab);
        QFETCH(QString, title);
        QFETCH(QString, histEntire);
        writeIni("[Names]\nDB_Name=fixture.db\nLanguage=" + language + "\n");
        Program p(noLogin());
        ModalAnswerer modal;
        modal.answer = [](QWidget* w) { w->close(); };
        QVERIFY(p.start(kProgram, {}));
        QCOMPARE(p.frmSearchResults->btClose->text(), close);
        QCOMPARE(p.frmSearchResults->pgcTextPict->tabText(0), tab);
        QCOMPARE(p.frmSearchResults->windowTitle(), title);
        QCOMPARE(p.dmMain->name_list.value("hist_Entire").value_or("?"), histEntire);
        QVERIFY(IsLabelBound(p.frmSearchResults->lblQuickView));
        runDeferredStart();
    }

    void editionSwitchesShapeTheMainWindow() {
        EditionSwitches e = noLogin();
        TfrmSearchResults standard(e);
        QVERIFY(!standard.pnlZED->isHidden());
        QVERIFY(!standard.pgcTextPict->isTabVisible(3));  // "Additional notes"
        QVERIFY(standard.pgcTextPict->isTabVisible(2));
        QCOMPARE(standard.pgcTextPict->currentIndex(), 0);
        e.showCustomsCodes = false;
        e.showComments = true;
        e.showPictures = false;
        TfrmSearchResults other(e);
        QVERIFY(other.pnlZED->isHidden());
        QVERIFY(other.pgcTextPict->isTabVisible(3));
        QVERIFY(!other.pgcTextPict->isTabVisible(2));
        e.picturesOnly = true;
        TfrmSearchResults pictures(e);
        QCOMPARE(pictures.pgcTextPict->currentIndex(), 2);
        QVERIFY(pictures.pgcTextPict->tabBar()->isHidden());
    }

    void escapedErrorsEndOnlyTheAction() {
        struct Thrower : QObject {
            bool event(QEvent* e) override {
                if (e->type() == QEvent::User) throw std::runtime_error("disk is gone");
                return QObject::event(e);
            }
        } thrower;
        auto* app = static_cast<Application*>(QCoreApplication::instance());
        QEvent e(QEvent::User);
        QVERIFY(!app->notify(&thrower, &e));
        QCOMPARE(messages, QStringList{"disk is gone"});
    }

    void labelProbe() {
        QWidget form;
        form.resize(300, 200);
        auto* box = new QCheckBox(&form);
        box->setGeometry(10, 10, 100, 20);  // reaches under its label
        auto* boxLabel = new QLabel("caption", &form);
        boxLabel->setGeometry(50, 10, 60, 20);
        auto* radio = new QRadioButton(&form);
        radio->setGeometry(10, 60, 17, 17);
        auto* radioLabel = new QLabel("radio", &form);
        radioLabel->setGeometry(30, 60, 60, 20);
        auto* lonely = new QLabel("alone", &form);
        lonely->setGeometry(200, 100, 60, 20);
        auto* disabled = new QCheckBox(&form);
        disabled->setGeometry(10, 140, 17, 17);
        disabled->setEnabled(false);
        auto* disabledLabel = new QLabel("off", &form);
        disabledLabel->setGeometry(30, 140, 60, 20);

        SetLabelClick(&form);
        QCOMPARE(LabelPartner(boxLabel), box);
        QCOMPARE(box->width(), 50 - 10 - 1);  // narrowed to end before the label
        QVERIFY(IsLabelBound(boxLabel));
        QVERIFY(!IsLabelBound(lonely));
        QCOMPARE(radio->width(), 17);  // not reaching the label: left alone

        form.show();
        QTest::mouseClick(boxLabel, Qt::LeftButton);
        QVERIFY(box->isChecked());
        QTest::mouseDClick(boxLabel, Qt::LeftButton);  // press, release, double-click
        QTest::mouseClick(radioLabel, Qt::LeftButton);
        QVERIFY(radio->isChecked());
        QTest::mouseClick(disabledLabel, Qt::LeftButton);
        QVERIFY(!disabled->isChecked());
        boxLabel->setEnabled(false);
        const bool before = box->isChecked();
        LabelClick(boxLabel);
        QCOMPARE(box->isChecked(), before);
    }
};

int main(int argc, char** argv) {
    st::app::Application app(argc, argv);
    TestStartup t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_startup.moc"
