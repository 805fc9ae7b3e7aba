// Import time of the largest Access sample, as a ratio to the time mdb-export
// takes to dump every table of the same file (both read it through libmdb;
// the import also decodes, writes SQLite and builds the indexes).
// usage: bench_import [FILE] [RUNS]
#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>

#include "bench/benchutil.h"
#include "tools/import/importer.h"

using st::bench::ms;

namespace {

QString largestSample() {
    QString best;
    qint64 size = -1;
    QDirIterator it(QStringLiteral(ST_SHARED_DIR "/mdb-samples"), {"*.mdb", "*.accdb"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        if (f.size() > size) size = f.size(), best = f.filePath();
    }
    return best;
}

QByteArray runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    p.waitForFinished(-1);
    return p.readAllStandardOutput();
}

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : largestSample();
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 7;
    const QStringList tables =
        QString::fromUtf8(runTool("mdb-tables", {"-1", file})).split(u'\n', Qt::SkipEmptyParts);
    QTemporaryDir dir;
    QList<double> imports, dumps;
    for (int i = 0; i < runs; ++i) {
        dumps << ms([&] {
            for (const QString& t : tables) runTool("mdb-export", {file, t});
        });
        st::import::ImportOptions o;
        o.source = file;
        o.target = dir.filePath(QStringLiteral("bench.db"));
        o.force = true;
        imports << ms([&] { st::import::ImportAccessDatabase(o); });
    }
    const double imp = median(imports), dump = median(dumps);
    out << "file: " << file << " (" << QFileInfo(file).size() << " bytes, " << tables.size()
        << " tables)\n"
        << "median of " << runs << " runs\n"
        << "  import:             " << QString::number(imp, 'f', 1) << " ms\n"
        << "  mdb-export, all tables (baseline): " << QString::number(dump, 'f', 1) << " ms\n"
        << "  ratio import / baseline: " << QString::number(imp / dump, 'f', 2) << "\n";
    return 0;
}
