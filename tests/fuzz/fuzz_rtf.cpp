// Fuzz target for the RTF reader and writer: any bytes go into a fresh
// document, and what the writer makes of it must read back to the same text.
//
//   cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DST_FUZZ=ON
//   cmake --build build-fuzz -j2 --target fuzz_rtf
//   mkdir -p /tmp/rtf-fuzz && cp -r ../shared/rtf-corpus tests/text/rtf /tmp/rtf-fuzz/
//   build-fuzz/bin/fuzz_rtf -max_total_time=1800 -rss_limit_mb=2048 -timeout=10
//       -max_len=65536 -dict=tests/fuzz/rtf.dict /tmp/rtf-fuzz/corpus /tmp/rtf-fuzz
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "text/rtfreader.h"
#include "text/rtfwriter.h"

namespace {

QString Read(const QByteArray& rtf, QTextDocument* doc) {
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    st::text::InsertRtf(cursor, rtf);
    return doc->toPlainText();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_rtf";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray rtf(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument doc;
    const QString text = Read(rtf, &doc);
    QTextDocument again;
    if (Read(st::text::WriteRtf(doc), &again) != text) {
        std::fprintf(stderr, "written RTF reads back to other text\n");
        std::abort();
    }
    // a range, its ends kept off the middle of a surrogate pair
    int from = 1, to = (doc.characterCount() - 1) / 2;
    if (from < text.size() && text[from].isLowSurrogate()) ++from;
    if (to > 0 && to < text.size() && text[to].isLowSurrogate()) --to;
    if (from < to) {
        QTextDocument range;
        const QString expected = text.mid(from, to - from);
        if (Read(st::text::WriteRtf(doc, from, to), &range) != expected) {
            std::fprintf(stderr, "a written range reads back to other text\n");
            std::abort();
        }
    }
    return 0;
}
