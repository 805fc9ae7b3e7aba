// RTF reading and writing: a typical 2 KB entry value and a 1 MB document,
// parse-and-insert and save. usage: QT_QPA_PLATFORM=offscreen bench_rtf
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>

#include "bench/benchutil.h"
#include "text/rtfreader.h"
#include "text/rtfwrite.h"
#include "text/rtfwriter.h"

using st::bench::ms;

namespace {
QString entryText(int paragraphs) {
    QString s;
    for (int i = 0; i < paragraphs; ++i)
        s += QStringLiteral(
                 "Насоси відцентрові з герметичним електродвигуном (canned motor pumps), "
                 "спеціально призначені для циркуляції теплоносія %1.\n")
                 .arg(i);
    return s;
}
}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    const QByteArray small = st::text::PlainToRtf(entryText(6));
    const QByteArray big = st::text::PlainToRtf(entryText(7000));
    const int rounds = 2000;
    QTextDocument host;
    const double insertSmall = ms([&] {
                                   for (int i = 0; i < rounds; ++i) {
                                       QTextCursor c(&host);
                                       c.movePosition(QTextCursor::End);
                                       st::text::InsertRtf(c, small);
                                       if (i % 100 == 99) host.clear();
                                   }
                               }) /
                               rounds;
    QTextDocument bigDoc;
    const double insertBig = ms([&] {
        QTextCursor c(&bigDoc);
        st::text::InsertRtf(c, big);
    });
    QTextDocument smallDoc;
    QTextCursor sc(&smallDoc);
    st::text::InsertRtf(sc, small);
    const double saveSmall = ms([&] {
                                 for (int i = 0; i < rounds; ++i) st::text::WriteRtf(smallDoc);
                             }) /
                             rounds;
    const double saveBig = ms([&] { st::text::WriteRtf(bigDoc); });
    out << "2 KB value (" << small.size() << " bytes): insert " << insertSmall * 1000
        << " us, save " << saveSmall * 1000 << " us\n";
    out << "1 MB document (" << big.size() << " bytes): insert " << insertBig << " ms, save "
        << saveBig << " ms\n";
    return 0;
}
