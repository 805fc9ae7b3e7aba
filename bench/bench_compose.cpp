// Composition time: a typical demo entry, and a heavy one with 20 ancestors,
// 200 siblings and 2 KB RTF zones, cold (first) and warm (again).
// usage: QT_QPA_PLATFORM=offscreen bench_compose
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include "db/database.h"
#include "db/query.h"
#include "text/arshower.h"
#include "text/richview.h"
#include "text/rtfwrite.h"
#include "tools/builder.h"
#include "tree/treev.h"

using st::db::Database;

namespace {

QString paragraph(int n) {
    QString s;
    while (s.size() < 2000)
        s += QStringLiteral("Обладнання %1 для насосів і компресорів, software та технології; ")
                 .arg(n);
    return s;
}

void makeHeavy(Database& db) {
    st::db::Transaction tr(db);
    st::db::Statement st(db.handle(),
                         "insert into List_Entries (Entry_ID, Parent_ID, Revision_ID, Entry_type, "
                         "List_Title, Sort_list, Sort_Num, Rich_Title, Rich_Text, Rich_After) "
                         "values (?,?,1,0,?,1,?,?,?,?)");
    auto add = [&](int id, int parent) {
        st.bind(1, id);
        st.bind(2, parent ? QVariant(parent) : QVariant());
        st.bind(3, QStringLiteral("Позиція %1").arg(id));
        st.bind(4, id);
        st.bind(5, st::text::PlainToRtf(QStringLiteral("Позиція %1").arg(id)));
        st.bind(6, st::text::PlainToRtf(paragraph(id)));
        st.bind(7, st::text::PlainToRtf(paragraph(id + 1)));
        st.step();
        st.reset();
    };
    for (int i = 1; i <= 21; ++i) add(i, i - 1);      // a chain of 21: 20 ancestors above 21
    for (int i = 0; i < 200; ++i) add(1000 + i, 20);  // 200 siblings of 21
    tr.commit();
}

double composeMs(st::text::TfamArShower& a, int id) {
    QElapsedTimer t;
    t.start();
    a.FillBox(id, true);
    while (a.isComposing()) QCoreApplication::processEvents();
    return t.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    QFile ini(dir.filePath("SearchTool.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write(
        "[Heavy]\ntop_max=20\ndown_step_0=1\ntext_step_0=1\nafte_step_0=1\n"
        "down_step_1=1\ntext_step_1=0\nafte_step_1=0\n");
    ini.close();

    // The demo database with its own rules.
    st::tools::BuildDatabaseFromFile(ST_SOURCE_DIR "/demo/demo.json", dir.filePath("demo.db"));
    auto demo = Database::open(dir.filePath("demo.db"));
    {
        st::tree::TfamTreeV tree;
        tree.SetDatabase(demo.get());
        st::text::TfamArShower a;
        a.RegisterMe(&tree, false);
        a.ReadRules("ParamSet01", ST_SOURCE_DIR "/demo/SearchTool.ini");
        a.resize(600, 500);
        a.show();
        st::db::Query q(demo.get(),
                        "select Entry_ID from List_Entries where Revision_ID<>Entry_ID and "
                        "Revision_ID>0 order by Sort_list,Sort_Num");
        QList<int> ids;
        for (q.open(); !q.eof(); q.next()) ids << q.field(0).toInt();
        double total = 0, worst = 0;
        int worstId = 0;
        for (int id : ids) {
            const double ms = composeMs(a, id);
            total += ms;
            if (ms > worst) worst = ms, worstId = id;
        }
        out << "demo: " << ids.size() << " entries, mean " << total / ids.size() << " ms, worst "
            << worst << " ms (entry " << worstId << ")\n";
    }

    {
        auto heavy = Database::create(dir.filePath("heavy.db"));
        makeHeavy(*heavy);
    }
    auto heavy = Database::open(dir.filePath("heavy.db"));
    st::tree::TfamTreeV tree;
    tree.SetDatabase(heavy.get());
    st::text::TfamArShower a;
    a.RegisterMe(&tree, false);
    a.ReadRules("Heavy", dir.filePath("SearchTool.ini"));
    a.resize(600, 500);
    a.show();
    const double cold = composeMs(a, 21);
    const double warm = composeMs(a, 21);
    out << "heavy (20 ancestors, 200 siblings, 2 KB zones): cold " << cold << " ms, warm " << warm
        << " ms, " << a.redText->textLength() << " characters, " << a.items.size()
        << " placed entries\n";
    return 0;
}
