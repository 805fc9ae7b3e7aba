#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent/QtConcurrent>

#include "app/inifile.h"
#include "app/settings.h"
#include "text/codepage.h"

using namespace st::app;

class TestIniFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path() const { return dir.filePath("SearchTool.ini"); }
    void write(const QByteArray& bytes) {
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

  private slots:
    void init() { QFile::remove(path()); }

    void readsWithoutRegardToCase() {
        write("[names]\r\nDB_NAME = lists.db \r\n; comment=1\r\n[Other]\r\nDB_Name=x\r\n");
        IniFile f(path());
        QCOMPARE(f.readString("Names", "db_name"), QString("lists.db"));
        QCOMPARE(f.readString("NAMES", "missing", "def"), QString("def"));
        QCOMPARE(f.readString("Other", "DB_Name"), QString("x"));
        QCOMPARE(f.readString("Names", "comment", "none"), QString("none"));
    }

    void integers_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << "204" << 204;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("hex 0x") << "0x1F" << 31;
        QTest::newRow("hex $") << "$ff" << 255;
        QTest::newRow("hex all bits") << "0xFFFFFFFF" << -1;
        QTest::newRow("not a number") << "12abc" << 7;
        QTest::newRow("empty") << "" << 7;
        QTest::newRow("overflow") << "99999999999" << 7;
    }
    void integers() {
        QFETCH(QString, value);
        QFETCH(int, expected);
        write(("[S]\nk=" + value + "\n").toUtf8());
        QCOMPARE(IniFile(path()).readInteger("S", "K", 7), expected);
    }

    void missingFileReadsEmpty() {
        IniFile f(dir.filePath("nothing.ini"));
        QCOMPARE(f.readString("Names", "DB_Name"), QString());
        QCOMPARE(f.readInteger("Names", "Charset", -1), -1);
        QVERIFY(ReadExcludedLists(f).isEmpty());
    }

    void currentDirectoryAtEachAccess() {
        QTemporaryDir other;
        write("[Names]\nDB_Name=first.db\n");
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QCOMPARE(IniFile::current().readString("Names", "DB_Name"), QString("first.db"));
        QDir::setCurrent(other.path());
        QCOMPARE(IniFile::current().readString("Names", "DB_Name"), QString());
        QDir::setCurrent(old);
    }

    void encodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("utf-8") << QByteArray("[Names]\nUser=Олена\n");
        QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF[Names]\nUser=Олена\n");
        QTest::newRow("windows-1251")
            << QByteArray("[Names]\nUser=") + st::text::encodeCp1251(u"Олена"_qs) + "\n";
    }
    void encodings() {
        QFETCH(QByteArray, bytes);
        write(bytes);
        QCOMPARE(IniFile(path()).readString("Names", "user"), u"Олена"_qs);
    }

    void writeCreatesFileSectionAndKey() {
        IniFile f(path());
        QVERIFY(f.writeString("Names", "login_name", u"Олена"_qs));
        QCOMPARE(f.readString("names", "LOGIN_NAME"), u"Олена"_qs);
        QVERIFY(f.writeInteger("Names", "PassID", 12));
        QVERIFY(f.writeString("Names", "Login_Name", "ivan"));
        QCOMPARE(f.readString("Names", "login_name"), QString("ivan"));
        QCOMPARE(f.readInteger("Names", "PassID", -2), 12);
        QFile raw(path());
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QByteArray text = raw.readAll();
        QCOMPARE(text.count("[Names]"), 1);
        QCOMPARE(text.count("login_name="), 1);  // the spelling in the file is kept
    }

    void writeKeepsOtherLines() {
        write("; my settings\r\n[Names]\r\nDB_Name=a.db\r\n\r\n[Excluded]\r\nList_1=5\r\n");
        IniFile f(path());
        QVERIFY(f.writeString("Names", "User", "x"));
        QFile raw(path());
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QCOMPARE(raw.readAll(), QByteArray("; my settings\r\n[Names]\r\nDB_Name=a.db\r\nUser=x\r\n"
                                           "\r\n[Excluded]\r\nList_1=5\r\n"));
    }

    void writeFailsOnReadOnlyFolderWithoutDamage() {
        if (geteuid() == 0) QSKIP("root writes into read-only folders");
        write("[Names]\nDB_Name=a.db\n");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool ok = IniFile(path()).writeString("Names", "User", "x");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!ok);
        QCOMPARE(IniFile(path()).readString("Names", "DB_Name"), QString("a.db"));
    }

    void concurrentWritersKeepEachOthersKeys() {
        IniFile f(path());
        QVERIFY(f.writeString("Names", "DB_Name", "a.db"));
        QList<int> keys;
        for (int i = 0; i < 40; ++i) keys << i;
        QtConcurrent::blockingMap(keys, [this](int i) {
            IniFile(path()).writeInteger("Many", QStringLiteral("k%1").arg(i), i);
        });
        for (int i = 0; i < 40; ++i)
            QCOMPARE(f.readInteger("Many", QStringLiteral("k%1").arg(i), -1), i);
        QCOMPARE(f.readString("Names", "DB_Name"), QString("a.db"));
    }

    void languageCut_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("code");
        QTest::newRow("eng") << "eng"
                             << "eng";
        QTest::newRow("ENGLISH") << "ENGLISH"
                                 << "ENG";
        QTest::newRow("empty") << ""
                               << "";
    }
    void languageCut() {
        QFETCH(QString, value);
        QFETCH(QString, code);
        write(("[Names]\nLanguage=" + value + "\n").toUtf8());
        QCOMPARE(ReadLanguageCode(IniFile(path())), code);
    }

    void excludedStopsAtFirstMissingOrNonPositive_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QList<int>>("lists");
        QTest::newRow("zero stops")
            << QByteArray("List_1=12\nList_2=0\nList_3=15\n") << QList<int>{12};
        QTest::newRow("gap stops") << QByteArray("List_1=12\nList_3=15\n") << QList<int>{12};
        QTest::newRow("negative stops") << QByteArray("List_1=-3\nList_2=4\n") << QList<int>{};
        QTest::newRow("all") << QByteArray("list_1=1\nLIST_2=$10\nList_3=0x3\n")
                             << QList<int>{1, 16, 3};
    }
    void excludedStopsAtFirstMissingOrNonPositive() {
        QFETCH(QByteArray, section);
        QFETCH(QList<int>, lists);
        write("[Excluded]\n" + section);
        QCOMPARE(ReadExcludedLists(IniFile(path())), lists);
    }

    void ruleChainDefaults() {
        write("[ParamSet01]\ndown_step_0=1\ndown_step_2=3\ntext_step_1=5\n");
        const CompositionRules r = ReadCompositionRules(IniFile(path()), "ParamSet01");
        QCOMPARE(r.top_max, 20);
        QCOMPARE(r.al_rulls.size(), 21);
        QCOMPARE(r.al_rulls[0], (DepthRule{1, -1, -1}));
        QCOMPARE(r.al_rulls[1], (DepthRule{1, 5, -1}));
        QCOMPARE(r.al_rulls[2], (DepthRule{3, 5, -1}));
        QCOMPARE(r.al_rulls[20], (DepthRule{3, 5, -1}));
    }

    void ruleChainTopMax_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<int>("rules");
        QTest::newRow("capped") << QByteArray("top_max=25\n") << 21;
        QTest::newRow("below zero") << QByteArray("top_max=-1\n") << 0;
        QTest::newRow("three") << QByteArray("top_max=2\n") << 3;
        QTest::newRow("missing section") << QByteArray() << 21;
    }
    void ruleChainTopMax() {
        QFETCH(QByteArray, section);
        QFETCH(int, rules);
        write(section.isEmpty() ? QByteArray() : "[ParamSet02]\n" + section);
        const CompositionRules r = ReadCompositionRules(IniFile(path()), "ParamSet02");
        QCOMPARE(r.al_rulls.size(), rules);
        if (rules) QCOMPARE(r.al_rulls[0], (DepthRule{0, -1, -1}));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
