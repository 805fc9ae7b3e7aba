#include <QTest>

#include "text/codepage.h"
#include "text/fold.h"
#include "text/rtfwrite.h"

using namespace st::text;

class TestFold : public QObject {
    Q_OBJECT
  private slots:
    void folds_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("lookAlikes");
        QTest::addColumn<QString>("searchShab");
        QTest::newRow("cyrillic look-alikes") << u"насос"_qs << u"HACOC"_qs << u"HACOC"_qs;
        QTest::newRow("accents") << u"Zürich"_qs << u"ZÜRICH"_qs << u"ZURICH"_qs;
        QTest::newRow("quotes") << u"«лазер» 'x'"_qs << u"\"ЛAЗEP\" \"X\""_qs
                                << u"\"ЛAЗEP\" \"X\""_qs;
        QTest::newRow("ukrainian letters") << u"ґіїє"_qs << u"ГIIЄ"_qs << u"ГIIЄ"_qs;
        QTest::newRow("backslash") << u"a\\b"_qs << u"A/B"_qs << u"A/B"_qs;
        QTest::newRow("sharp s keeps length") << u"straße"_qs << u"STRAßE"_qs << u"STRAßE"_qs;
    }
    void folds() {
        QFETCH(QString, input);
        QFETCH(QString, lookAlikes);
        QFETCH(QString, searchShab);
        QCOMPARE(FoldLookAlikes(input), lookAlikes);
        QCOMPARE(MakeSearchShab(input), searchShab);
        QCOMPARE(MakeSearchShab(input).size(), input.size());
    }
    void planeStringCollapsesBlanks() {
        QCOMPARE(MakePlaneString(u"  Лазерні\t  прилади "_qs), u" ЛAЗEPHI ПPИЛAДИ "_qs);
        QCOMPARE(MakePlaneString(QString(30000, u'a')).size(), 30000);
        QVERIFY(MakePlaneString(QString(30001, u'a')).isEmpty());
    }
    void cp1251RoundTrip() {
        const QString s = u"Пульт «Ґ» №5 — її"_qs;
        QCOMPARE(decodeCp1251(encodeCp1251(s)), s);
        QCOMPARE(decodeCp1251("\xC0\xFF\xB2\xB3"), u"АяІі"_qs);
    }
    void decodeTextChoosesEncoding() {
        QCOMPARE(decodeText(QByteArray("\xEF\xBB\xBFабв"), false), u"абв"_qs);
        QCOMPARE(decodeText(QByteArray("\xFF\xFE\x30\x04", 4), false), u"а"_qs);
        QCOMPARE(decodeText("\xE0\xE1", true), u"аб"_qs);  // not UTF-8: windows-1251
        QCOMPARE(decodeText(QByteArray("абв"), true), u"абв"_qs);
    }
    void rtfEscapes() {
        const QByteArray rtf = PlainToRtf(u"a{b}\\c\nЯ€✓"_qs);
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QVERIFY(rtf.contains("a\\{b\\}\\\\c\\par"));
        QVERIFY(rtf.contains("\\'df\\'88"));  // Я and € from the code page
        QVERIFY(rtf.contains("\\u10003?"));   // ✓ outside it
        QVERIFY(rtf.endsWith("}"));
    }
};

QTEST_APPLESS_MAIN(TestFold)
#include "tst_fold.moc"
