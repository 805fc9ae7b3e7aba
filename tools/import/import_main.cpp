// searchtool-import: copies an Access database into a new SQLite file that
// the program opens as it is.
#include <signal.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "tools/import/importer.h"

namespace {

using st::import::ImportError;

// What a signal handler may touch: the temporary file's name and a flag.
char g_tempPath[4096] = {0};
volatile sig_atomic_t g_interrupted = 0;

void say(const char* s) {
    ssize_t r = ::write(STDERR_FILENO, s, strlen(s));
    (void)r;
}

void removeTempAndExit(int status) {
    if (g_tempPath[0]) ::unlink(g_tempPath);
    _exit(status);
}

void onInterrupt(int) {
    if (g_interrupted) {  // a second time: leave at once
        say("searchtool-import: interrupted; no output was written\n");
        removeTempAndExit(ImportError::Cancelled);
    }
    g_interrupted = 1;
}

// libmdb trusts the file's structure; damaged input can still make it fault.
void onFault(int sig) {
    say("searchtool-import: the Access reader failed on damaged input (");
    say(strsignal(sig));
    say("); no output was written\n");
    removeTempAndExit(ImportError::Input);
}

void installHandlers() {
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    sa.sa_handler = onFault;
    sa.sa_flags = SA_RESETHAND;
    for (int s : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) sigaction(s, &sa, nullptr);
}

// A reader caught in a loop on a damaged file makes no more progress; after
// a while without any, give up rather than hang.
void startWatchdog(int seconds) {
    std::thread([seconds] {
        quint64 last = st::import::AccessReader::heartbeat();
        int still = 0;
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            const quint64 now = st::import::AccessReader::heartbeat();
            still = now == last ? still + 1 : 0;
            last = now;
            if (still >= seconds) {
                say("searchtool-import: reading made no progress for too long; the input is "
                    "probably damaged. No output was written\n");
                removeTempAndExit(ImportError::Input);
            }
        }
    }).detach();
}

void print(const QString& s) {
    fputs(s.toLocal8Bit().constData(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

void printList(const char* title, const QStringList& items) {
    if (items.isEmpty()) return;
    print(QStringLiteral("%1 (%2):").arg(QLatin1String(title)).arg(items.size()));
    for (const QString& i : items) print(QStringLiteral("  - ") + i);
}

}  // namespace

int main(int argc, char** argv) {
    // Recomputing plain text reads RTF through Qt's text documents, which
    // want a GUI application; a command never shows a window.
    bool needGui = false;
    for (int i = 1; i < argc; ++i) needGui |= strcmp(argv[i], "--recompute-plain") == 0;
    std::unique_ptr<QCoreApplication> appHolder;
    if (needGui) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        appHolder = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        appHolder = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication& app = *appHolder;
    QCoreApplication::setApplicationName(QStringLiteral("searchtool-import"));

    QCommandLineParser cl;
    cl.setApplicationDescription(QStringLiteral(
        "Copies an Access database (.mdb of Jet 3 or Jet 4, .accdb) into a new SQLite file\n"
        "that searchtool opens as it is: every table with all its columns and rows, the\n"
        "primary keys and the indexes. Point DB_Name in SearchTool.ini at the result.\n"
        "\n"
        "The output appears only when complete (it is written to OUTPUT.importing-XXXXXX\n"
        "beside it and renamed). Exit status: 0 done, 1 bad usage or the output cannot be\n"
        "written (or exists without --force), 2 the input is missing, not an Access file,\n"
        "or damaged, 130 interrupted."));
    cl.addHelpOption();
    cl.addPositionalArgument(QStringLiteral("INPUT"), QStringLiteral("the Access file to read"));
    cl.addPositionalArgument(QStringLiteral("OUTPUT"), QStringLiteral("the SQLite file to make"));
    const QCommandLineOption force({QStringLiteral("f"), QStringLiteral("force")},
                                   QStringLiteral("Replace OUTPUT if it exists."));
    const QCommandLineOption codepage(
        {QStringLiteral("c"), QStringLiteral("codepage")},
        QStringLiteral("Code page of the text in Jet 3 (Access 97) files, which do not say it: "
                       "any name iconv knows (windows-1252, CP866, ISO-8859-5, ...). "
                       "Jet 4 and ACE files are Unicode and ignore it."),
        QStringLiteral("NAME"), QStringLiteral("windows-1251"));
    const QCommandLineOption recompute(
        QStringLiteral("recompute-plain"),
        QStringLiteral("Fill the plain search columns anew from their rich twins "
                       "(List_Entries.Plain_Title/Plain_Text/Plain_After, SYNONYM.Plain_Text, "
                       "Comments.plain_text/plain_head), adding those that are missing. "
                       "Without it they are copied as stored."));
    const QCommandLineOption keepOle(
        QStringLiteral("keep-ole"),
        QStringLiteral("Copy List_pictures.Picture and PictureOrigins.PictureOrigin_ico as "
                       "stored, OLE wrappers included (by default the picture file is taken "
                       "out of the wrapper Access puts around it)."));
    const QCommandLineOption stall(
        QStringLiteral("stall-timeout"),
        QStringLiteral("Give up when reading makes no progress for this many seconds."),
        QStringLiteral("SECONDS"), QStringLiteral("60"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Print only the summary."));
    cl.addOptions({force, codepage, recompute, keepOle, stall, quiet});
    cl.process(app);

    const QStringList args = cl.positionalArguments();
    if (args.size() != 2) {
        fprintf(stderr, "searchtool-import: give INPUT and OUTPUT (see --help)\n");
        return ImportError::Usage;
    }
    bool stallOk = false;
    const int stallSeconds = cl.value(stall).toInt(&stallOk);
    if (!stallOk || stallSeconds < 1) {
        fprintf(stderr, "searchtool-import: --stall-timeout wants a number of seconds\n");
        return ImportError::Usage;
    }

    st::import::ImportOptions o;
    o.source = args[0];
    o.target = args[1];
    o.force = cl.isSet(force);
    o.codepage = cl.value(codepage);
    o.recomputePlain = cl.isSet(recompute);
    o.unwrapPictures = !cl.isSet(keepOle);
    const bool verbose = !cl.isSet(quiet);
    o.tempFile = [](const QString& path) {
        const QByteArray p = QFile::encodeName(path);
        const size_t n = std::min(sizeof g_tempPath - 1, size_t(p.size()));
        g_tempPath[0] = 0;  // never a half-written name for the handler
        memcpy(g_tempPath + 1, p.constData() + 1, n > 0 ? n - 1 : 0);
        g_tempPath[n] = 0;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        if (n) g_tempPath[0] = p[0];
    };
    o.progress = [verbose](const st::import::ImportProgress& p) {
        if (g_interrupted) return false;
        if (!verbose) return true;
        switch (p.stage) {
            case st::import::ImportProgress::TableStarted:
                print(QStringLiteral("[%1/%2] %3 ...")
                          .arg(p.tableIndex)
                          .arg(p.tableCount)
                          .arg(p.table));
                break;
            case st::import::ImportProgress::Rows:
                print(QStringLiteral("        %1 rows").arg(p.rows));
                break;
            case st::import::ImportProgress::TableDone:
                print(QStringLiteral("        %1 rows, %2 blobs").arg(p.rows).arg(p.blobs));
                break;
            case st::import::ImportProgress::Indexes:
                print(QStringLiteral("indexes ..."));
                break;
        }
        return true;
    };

    installHandlers();
    startWatchdog(stallSeconds);
    try {
        const st::import::ImportSummary s = st::import::ImportAccessDatabase(o);
        print(QStringLiteral("Imported %1 (%2%3) into %4")
                  .arg(o.source, s.format,
                       s.codepage.isEmpty() ? QString() : QStringLiteral(", text in ") + s.codepage,
                       o.target));
        print(QStringLiteral("  tables: %1  rows: %2  blobs: %3  indexes: %4  primary keys: %5")
                  .arg(s.tables.size())
                  .arg(s.rows)
                  .arg(s.blobs)
                  .arg(s.indexes)
                  .arg(s.primaryKeys));
        if (s.picturesUnwrapped)
            print(QStringLiteral("  pictures taken out of OLE wrappers: %1")
                      .arg(s.picturesUnwrapped));
        if (o.recomputePlain)
            print(QStringLiteral("  plain values recomputed: %1").arg(s.plainRecomputed));
        printList("Added", s.added);
        printList("Renamed", s.renamed);
        printList("Skipped", s.skipped);
        printList("Remarks", s.warnings);
        return 0;
    } catch (const ImportError& e) {
        fprintf(stderr, "searchtool-import: %s\n", e.text().toLocal8Bit().constData());
        return e.status();
    }
}
