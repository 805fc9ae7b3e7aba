#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/inifile.h"
#include "app/localtexts.h"
#include "app/resourceset.h"
#include "app/wordtable.h"
#include "resources/resources.h"
#include "text/codepage.h"

using namespace st::app;

namespace {
const QString kProgram = QStringLiteral(ST_BIN_DIR "/searchtool");

IniFile iniWith(const QTemporaryDir& dir, const QByteArray& text) {
    QFile f(dir.filePath("SearchTool.ini"));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text);
    return IniFile(f.fileName());
}
}  // namespace

class TestLocalisation : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { SetResourceModule(nullptr); }

    void wordTableEncodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QString text = u"Picture=Зображення \r\nEmpty=\r\n\r\nKey= lead"_qs;
        QTest::newRow("utf-8 bom") << "\xEF\xBB\xBF" + text.toUtf8();
        QByteArray utf16("\xFF\xFE");
        utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        QTest::newRow("utf-16 bom") << utf16;
        QTest::newRow("windows-1251") << st::text::encodeCp1251(text);
    }
    void wordTableEncodings() {
        QFETCH(QByteArray, bytes);
        const WordTable t = WordTable::parse(bytes);
        QCOMPARE(t.value("PICTURE").value_or("?"), u"Зображення "_qs);  // trailing space kept
        QCOMPARE(t.value("key").value_or("?"), QString(" lead"));
        QVERIFY(!t.value("Empty"));
        QVERIFY(!t.value("absent"));
    }

    void cascade_data() {
        QTest::addColumn<int>("lang");
        QTest::addColumn<QByteArray>("words");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        const int errNo = int(TextId::errNoDatabase);
        QTest::newRow("default") << 0 << QByteArray() << errNo << "Unable to open database";
        QTest::newRow("slovene") << 4 << QByteArray() << errNo
                                 << "Ne moren odpreti podatkovne zbirke";
        QTest::newRow("slovak") << 5 << QByteArray() << errNo << u"Nemoћno otvoriќ databбziu"_qs;
        QTest::newRow("word table over language")
            << 5 << QByteArray("err_no_database=No base\\nat all") << errNo << "No base\r\nat all";
        QTest::newRow("empty value keeps language text")
            << 4 << QByteArray("sti_and=") << int(TextId::stiAnd) << " in ";
        QTest::newRow("no key: word table ignored")
            << 5 << QByteArray("zedCaptionUKT=x") << int(TextId::zedCaptionUKT)
            << "Vstup s UKT ZED ";
        QTest::newRow("default for language 4 when none")
            << 4 << QByteArray() << int(TextId::dbNameMissing)
            << "Unable to find DB_Name in section [Names] of ";
        QTest::newRow("ukrainian default")
            << 0 << QByteArray() << int(TextId::histEntire) << u"Всі пункти"_qs;
        QTest::newRow("\\n only in err_no_database")
            << 0 << QByteArray("tit_Search=a\\nb") << int(TextId::titSearch) << "a\\nb";
    }
    void cascade() {
        QFETCH(int, lang);
        QFETCH(QByteArray, words);
        QFETCH(int, id);
        QFETCH(QString, text);
        QCOMPARE(ComposeText(TextId(id), lang, WordTable::parse("\xEF\xBB\xBF" + words)), text);
    }

    void languageNumber() {
        QCOMPARE(LanguageNumber("5"), 5);
        QCOMPARE(LanguageNumber("x"), -1);
        QCOMPARE(LanguageNumber(""), -1);
    }

    void modulePath_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("module");
        QTest::newRow("extension") << "/p/lists.exe"
                                   << "/p/lists.UKR";
        QTest::newRow("no extension") << "/p/lists"
                                      << "/p/lists.UKR";
        QTest::newRow("dot in folder") << "/my.dir/lists"
                                       << "/my.dir/lists.UKR";
        QTest::newRow("windows path") << "C:\\my.dir\\lists"
                                      << "C:\\my.dir\\lists.UKR";
    }
    void modulePath() {
        QFETCH(QString, program);
        QFETCH(QString, module);
        QCOMPARE(LanguageModulePath(program, "ukr"), module);
    }

    void moduleReplacesTheSet() {
        QTemporaryDir dir;
        SelectLanguageModule(kProgram, iniWith(dir, "[Names]\nLanguage=enu\n"));
        QVERIFY2(!ResourceSet::current().isOwn(), "searchtool.ENU was not loaded");
        const auto words = ResourceSet::current().find("Strings", "Local_Words");
        QVERIFY(words);
        QCOMPARE(WordTable::parse(*words).value("hist_Entire").value_or("?"),
                 QString("Every entry"));
        QVERIFY(ResourceSet::current().find("layout", "TfrmSearchResults"));

        // ENG goes back to the program's own set and releases the module.
        std::weak_ptr<LanguageModule> module = ResourceSet::current().module();
        SelectLanguageModule(kProgram, iniWith(dir, "[Names]\nLanguage=ENGLISH\n"));
        QVERIFY(ResourceSet::current().isOwn());
        QVERIFY(module.expired());
        QVERIFY(!QFile::exists(":" + QString("/langmodule1")));
    }

    void missingModuleIsIgnored() {
        QTemporaryDir dir;
        SelectLanguageModule(kProgram, iniWith(dir, "[Names]\nLanguage=enu\n"));
        QVERIFY(!ResourceSet::current().isOwn());
        SelectLanguageModule(kProgram, iniWith(dir, "[Names]\nLanguage=xyz\n"));
        QVERIFY(!ResourceSet::current().isOwn());  // the current set stays
        SelectLanguageModule(kProgram, iniWith(dir, "[Names]\n"));
        QVERIFY(!ResourceSet::current().isOwn());  // no choice is made
    }

    void notAResourceFileIsIgnored() {
        QTemporaryDir dir;
        QFile bogus(dir.filePath("prog.BAD"));
        QVERIFY(bogus.open(QIODevice::WriteOnly));
        bogus.write("this is no resource file");
        bogus.close();
        SelectLanguageModule(dir.filePath("prog"), iniWith(dir, "[Names]\nLanguage=bad\n"));
        QVERIFY(ResourceSet::current().isOwn());
    }

    void ownSetHasTheWordTable() {
        QVERIFY(st::resources::HasOwnResourceSet());
        const auto words = ResourceSet::current().find("STRINGS", "LOCAL_WORDS");
        QVERIFY(words);
        const WordTable t = WordTable::parse(*words);
        QCOMPARE(t.value("tit_Search").value_or("?"), QString(" - Search results for "));
        QCOMPARE(t.value("edi_Term").value_or("?"), QString("Usage of"));
        QCOMPARE(t.value("err_no_database").value_or("?"), QString("Unable to open database"));
    }
};

QTEST_GUILESS_MAIN(TestLocalisation)
#include "tst_localisation.moc"
