// The main window on the demo database, as a user drives it.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/application.h"
#include "app/datamodule.h"
#include "app/messages.h"
#include "app/searchresults.h"
#include "text/arshower.h"
#include "text/richview.h"
#include "tools/builder.h"
#include "tree/treev.h"

using namespace st::app;

class TestDemoScreen : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldCwd;

    void settle(TfrmSearchResults& w) {
        QTest::qWait(20);
        QTRY_VERIFY(!w.ashPrevi->isComposing());
        QTest::qWait(20);
    }
    // Pixels from the top of the view to the shown entry's first line.
    int shownTop(TfrmSearchResults& w) {
        for (const auto& it : w.ashPrevi->items)
            if (it.id == w.ashPrevi->id_shown)
                return w.ashPrevi->redText->charPosition(it.isTitle ? it.spTitle : it.spText).y();
        return -1;
    }

  private slots:
    void initTestCase() {
        st::tools::BuildDatabaseFromFile(ST_SOURCE_DIR "/demo/demo.json", dir.filePath("demo.db"));
        QFile::copy(ST_SOURCE_DIR "/demo/SearchTool.ini", dir.filePath("SearchTool.ini"));
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        SetMessageHook([](const QString& m) { QFAIL(qPrintable(m)); });
    }
    void cleanupTestCase() { QDir::setCurrent(oldCwd); }

    void shownEntryStaysAtTheTopOnBothPages() {
        TdmMain dm;
        TfrmSearchResults w;
        dm.addBaseOpener([&] { w.OpenBases(); });
        dm.OpenBases();
        w.resize(1000, 650);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Edit1->setText(u"лазер%"_qs);
        w.btSearchClick();
        settle(w);
        w.TabControl2->setCurrentIndex(0);  // the full tree
        settle(w);
        st::text::TRichView* view = w.ashPrevi->redText;
        auto placed = [&] {
            const int top = shownTop(w);
            return top == 10 || view->scrollPosition() == view->scrollRange() ||
                   view->scrollPosition() == 0;
        };
        QVERIFY2(placed(), qPrintable(QString::number(shownTop(w))));
        w.pgcTextPict->setCurrentWidget(w.tshText2);
        settle(w);
        QCOMPARE(w.ashPrevi->rulesGot, QString("ParamSet02"));
        QVERIFY2(placed(), qPrintable(QStringLiteral("top %1, scroll %2 of %3")
                                          .arg(shownTop(w))
                                          .arg(view->scrollPosition())
                                          .arg(view->scrollRange())));
    }
};

int main(int argc, char** argv) {
    st::app::Application app(argc, argv);
    TestDemoScreen t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_demoscreen.moc"
