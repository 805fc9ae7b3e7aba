#include <QTest>

#include "search/codeformat.h"

using namespace st::search;

class TestCodeFormat : public QObject {
    Q_OBJECT
  private slots:
    void normalize_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("stored");
        QTest::newRow("ten digits") << "8401100000"
                                    << "/8401 10 00 00/";
        QTest::newRow("dotted") << "8401.10.00.00"
                                << "/8401 10 00 00/";
        QTest::newRow("spaced") << "8401 10 00 00"
                                << "/8401 10 00 00/";
        QTest::newRow("short") << "84011"
                               << "/8401 1n nn nn/";
        QTest::newRow("two codes") << "8401, 8402"
                                   << "/8401 nn nn nn/8402 nn nn nn/";
        QTest::newRow("no-break space") << u"8401\u00A010 00 00"_qs << "/8401 10 00 00/";
        QTest::newRow("no digits") << "abc"
                                   << "/";
        QTest::newRow("too long") << "84011000001234"
                                  << "/8401 10 00 00/";
    }
    void normalize() {
        QFETCH(QString, input);
        QFETCH(QString, stored);
        QCOMPARE(NormalizeUKTCodes(input), stored);
    }
    void spaceMask() {
        QCOMPARE(ApplySpaceMask("8401100000", kUKTMask), QString("8401 10 00 00"));
        QCOMPARE(ApplySpaceMask("84 01", kUKTMask), QString("8401"));
    }
};

QTEST_APPLESS_MAIN(TestCodeFormat)
#include "tst_codeformat.moc"
