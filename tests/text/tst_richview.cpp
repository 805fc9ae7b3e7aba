#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include "db/database.h"
#include "db/query.h"
#include "text/richcharset.h"
#include "text/richfields.h"
#include "text/richview.h"

using namespace st::text;

namespace {

// A rule that keeps a customs code together: a blank is a delimiter only at
// the start or after ';', ',' or '-'.
int codeRule(const QString& text, int pos, int code) {
    const int n = int(text.size());
    if (pos < 0 || pos >= n) return 0;
    auto delim = [&](int i) {
        const QChar c = text[i];
        if (c != u' ' && c != u'\t') return false;
        return i == 0 || QStringLiteral(";,-").contains(text[i - 1]);
    };
    if (code == wbIsDelimiter || code == wbClassify) return delim(pos) ? wbWhiteSpace : 0;
    if (code == wbLeft || code == wbMoveWordLeft || code == wbLeftBreak) {
        for (int i = pos - (code == wbLeftBreak ? 1 : 2); i >= 0; --i)
            if (delim(i)) return code == wbLeftBreak ? i : i + 1;
        return -1;
    }
    for (int i = pos + (code == wbRightBreak ? 1 : 0); i < n; ++i)
        if (delim(i)) return code == wbRightBreak ? i : i + 1;
    return n;
}

QString drain(RichStreamReader& r, qint64 chunk) {
    QString out;
    char buf[64];
    for (qint64 n; (n = r.read(buf, chunk)) > 0;) out += QString::fromLatin1(buf, int(n)) + u'|';
    return out;
}

}  // namespace

class TestRichView : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

  private slots:
    void cleanup() { SetCharsetOverride(-1); }

    void positionsCountAParagraphEndAsOne() {
        TRichView v;
        v.replaceSelection("ab\ncd\nef");
        QCOMPARE(v.textLength(), 8);
        QCOMPARE(v.plainText(), QString("ab\ncd\nef"));
        v.setSelection(1, 4);
        QCOMPARE(v.selectedPlainText(), QString("b\ncd"));
        QCOMPARE(v.selStart(), 1);
        QCOMPARE(v.selLength(), 4);
        v.setSelection(7, 10);  // clamped to the end
        QCOMPARE(v.selLength(), 1);
        v.setSelection(3, 2);
        v.replaceSelection("XY\nZ");
        QCOMPARE(v.plainText(), QString("ab\nXY\nZ\nef"));
        QCOMPARE(v.selStart(), 7);
    }

    void colourAndCharsetSurviveSaving() {
        TRichView v;
        v.replaceSelection(u"Лазери та lasers"_qs);
        v.setSelection(0, 6);
        v.setSelColor(QColor(255, 0, 128));
        v.setSelection(10, 6);
        v.setSelCharset(204);
        TRichView w;
        w.loadContent(v.saveRtf());
        QCOMPARE(w.plainText(), u"Лазери та lasers"_qs);
        w.setSelection(0, 6);
        QCOMPARE(w.selColor(), QColor(255, 0, 128));
        w.setSelection(7, 2);
        QVERIFY(w.selColor() != QColor(255, 0, 128));
        w.setSelection(10, 6);
        QCOMPARE(w.selCharset(), 204);
    }

    void insertedRtfKeepsItsFormatsButTheColour() {
        TRichView v;
        v.replaceSelection("[]");
        v.setSelection(1, 0);
        QVERIFY(InsertRtfAtCaret(&v, "{\\rtf1\\ansi {\\b bold} {\\i it}}", QColor(0, 0, 128)));
        QCOMPARE(v.plainText(), QString("[bold it]"));
        QCOMPARE(v.selStart(), 8);  // caret after the insertion
        QTextCursor c(v.document());
        c.setPosition(2);
        QVERIFY(c.charFormat().fontWeight() >= QFont::Bold);
        QCOMPARE(c.charFormat().foreground().color(), QColor(0, 0, 128));
        c.setPosition(7);
        QVERIFY(c.charFormat().fontItalic());
        c.setPosition(1);  // the bracket before keeps its own colour
        QVERIFY(c.charFormat().foreground().color() != QColor(0, 0, 128));
    }

    void streamedInChunks() {
        const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1251 \\'cb\\'e0\\'e7\\'e5\\'f0}";
        for (qint64 chunk : {1, 3, 4096}) {
            TRichView v;
            qint64 pos = 0;
            QVERIFY(v.insertRtfStream(
                [&](char* buf, qint64 max) {
                    const qint64 n = std::min(max, qint64(rtf.size()) - pos);
                    memcpy(buf, rtf.constData() + pos, size_t(n));
                    pos += n;
                    return n;
                },
                chunk));
            QCOMPARE(v.plainText(), u"Лазер"_qs);
        }
        TRichView failing;
        failing.replaceSelection("keep");
        QVERIFY(!failing.insertRtfStream([](char*, qint64) { return qint64(-1); }));
        QCOMPARE(failing.plainText(), QString("keep"));
    }

    void streamReaderDropsTheClosingNul_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("chunk");
        QTest::addColumn<QString>("chunks");
        QTest::newRow("nul at the end, one chunk") << QByteArray("abc\0", 4) << 8 << "abc|";
        QTest::newRow("nul ends the value exactly") << QByteArray("abc\0", 4) << 2 << "ab|c|";
        QTest::newRow("nul inside stays")
            << QByteArray("a\0b", 3) << 2 << QString("a") + QChar(0) + "|b|";
        QTest::newRow("no nul") << QByteArray("abcd") << 3 << "abc|d|";
    }
    void streamReaderDropsTheClosingNul() {
        QFETCH(QByteArray, value);
        QFETCH(int, chunk);
        QFETCH(QString, chunks);
        RichStreamReader r(value);
        QCOMPARE(drain(r, chunk), chunks);
    }

    void insertAtCaret_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("inserted");
        QTest::newRow("empty") << QByteArray() << "" << false;
        QTest::newRow("two paragraph ends keep one") << QByteArray("{\\rtf1 a\\par\\par}") << "a\n"
                                                     << true;
        QTest::newRow("one paragraph end stays") << QByteArray("{\\rtf1 a\\par}") << "a\n" << true;
        QTest::newRow("plain text falls back with a break") << QByteArray("not rtf") << "not rtf\n"
                                                            << true;
        QTest::newRow("nul-terminated value") << QByteArray("{\\rtf1 x}\0", 10) << "x" << true;
        QTest::newRow("cp1251 plain text")
            << QByteArray("\xcb\xe0\xe7\xe5\xf0") << u"Лазер\n"_qs << true;
    }
    void insertAtCaret() {
        QFETCH(QByteArray, value);
        QFETCH(QString, text);
        QFETCH(bool, inserted);
        TRichView v;
        QCOMPARE(InsertRtfAtCaret(&v, value, Qt::black), inserted);
        QCOMPARE(v.plainText(), text);
        QCOMPARE(v.selStart(), int(text.size()));
    }

    void fieldHelpers() {
        auto db = st::db::Database::create(dir.filePath("f.db"));
        st::db::Query q(db.get(), "select NULL as blank, '{\\rtf1 word}' as rich");
        q.open();
        TRichView v;
        QVERIFY(!InsertFieldRtf(&v, q, "BLANK", Qt::black));
        QVERIFY(InsertFieldRtf(&v, q, "Rich", Qt::black));
        QCOMPARE(v.plainText(), QString("word"));
        QVERIFY_THROWS_EXCEPTION(st::db::DbError, InsertFieldRtf(&v, q, "missing", Qt::black));

        QVERIFY(RichFieldValue(&v).toByteArray().startsWith("{\\rtf1"));
        TRichView empty;
        QVERIFY(RichFieldValue(&empty).isNull());  // NULL, not an empty document

        TRichView w;
        LoadRichFromField(&w, QVariant(QByteArray("{\\rtf1 a\\par b}\0", 16)));
        QCOMPARE(GetRichPlainText(&w), QString("a\nb"));
        LoadRichFromField(&w, QVariant());
        QCOMPARE(w.plainText(), QString());
        LoadRichFromField(&w, QVariant(u"Старий текст"_qs));  // older data: plain text
        QCOMPARE(w.plainText(), u"Старий текст"_qs);
    }

    void charsetOverride() {
        SetCharsetOverride(204);
        TRichView v;
        LoadRichFromField(&v, QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 abc}"));
        v.setSelection(1, 1);
        QCOMPARE(v.selCharset(), 204);
        QCOMPARE(v.selStart(), 1);
        InsertRtfAtCaret(&v, "{\\rtf1 x}", Qt::black);
        v.setSelection(1, 1);
        QCOMPARE(v.selCharset(), 204);
    }

    void breakBeforeCaret_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("caretAfter");
        QTest::newRow("at the start") << "ab" << 0 << "ab" << 0;
        QTest::newRow("after text") << "ab" << 2 << "ab\n" << 3;
        QTest::newRow("after a break") << "ab\n" << 3 << "ab\n" << 3;
        QTest::newRow("inside a word") << "ab" << 1 << "a\nb" << 2;
    }
    void breakBeforeCaret() {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QString, after);
        QFETCH(int, caretAfter);
        TRichView v;
        v.replaceSelection(text);
        v.setSelection(caret, 0);
        EnsureBreakBeforeCaret(&v);
        QCOMPARE(v.plainText(), after);
        QCOMPARE(v.selStart(), caretAfter);
    }

    void paragraphAndFontAttributes() {
        TRichView v;
        v.replaceSelection("one\ntwo\nthree");
        v.setSelection(2, 3);  // paragraphs one and two
        const ParaAttributes a{Qt::AlignHCenter, 360, 720, 180, true, 240};
        v.setParaAttributes(a);
        v.setSelFontSize(14);
        QCOMPARE(v.paraAttributes(), a);
        QCOMPARE(v.selFontHeight(), 280);
        v.setSelection(9, 0);
        QCOMPARE(v.paraAttributes(), ParaAttributes{});
        TRichView w;
        w.loadContent(v.saveRtf());
        w.setSelection(5, 0);
        QCOMPARE(w.paraAttributes(), a);
        w.setSelection(2, 1);
        QCOMPARE(w.selFontHeight(), 280);
        w.setSelection(0, 0);
        ParaAttributes plain = a;
        plain.numbered = false;
        w.setParaAttributes(plain);
        QCOMPARE(w.paraAttributes(), plain);
    }

    void geometryAndScrolling() {
        TRichView v;
        v.resize(300, 120);
        v.show();
        QString text;
        for (int i = 0; i < 60; ++i) text += QStringLiteral("line %1\n").arg(i);
        v.replaceSelection(text);
        v.setSelection(0, 0);
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QCoreApplication::processEvents();
        QVERIFY(v.visibleHeight() > 0 && v.visibleHeight() <= 120);
        QVERIFY(v.scrollRange() > 0);
        v.setScrollPosition(0);
        const QPoint first = v.charPosition(0);
        const QPoint tenth = v.charPosition(text.indexOf("line 10"));
        QVERIFY(tenth.y() > first.y());
        v.setScrollPosition(50);
        QCOMPARE(v.scrollPosition(), 50);
        QCOMPARE(v.charPosition(text.indexOf("line 10")).y(), tenth.y() - 50);
        QCOMPARE(v.charPosition(0).y(), first.y() - 50);
    }

    void wordBreakRule() {
        const QString text = "x; 8401 10 00 00; y";
        TRichView v;
        v.resize(400, 100);
        v.show();
        v.replaceSelection(text);
        const int inCode = text.indexOf("10");
        QCOMPARE(v.wordAt(inCode), (std::pair<int, int>{inCode, inCode + 2}));  // own rule
        v.setWordBreakRule(codeRule);
        QCOMPARE(v.wordAt(inCode), (std::pair<int, int>{3, 17}));
        QCOMPARE(v.plainText(), text);  // the content is unchanged
        // Double click selects the code whole.
        QTest::mouseDClick(v.viewport(), Qt::LeftButton, {}, v.charPosition(inCode) + QPoint(2, 4));
        QCOMPARE(v.selectedPlainText(), QString("8401 10 00 00;"));
        // Word-wise caret moves follow the rule.
        v.setSelection(3, 0);
        QTest::keyClick(&v, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(v.selStart(), 18);
        QTest::keyClick(&v, Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(v.selStart(), 3);
        // Saving writes blanks, not no-break spaces.
        TRichView w;
        w.loadContent(v.saveRtf());
        QCOMPARE(w.document()->toRawText(), text);
        v.restoreWordBreakRule();
        QCOMPARE(v.document()->toRawText(), text);
        QCOMPARE(v.wordAt(inCode), (std::pair<int, int>{inCode, inCode + 2}));
    }

    void aCodeNeverWraps() {
        TRichView v;
        v.setLineWrapMode(QTextEdit::FixedPixelWidth);
        v.replaceSelection("8401 10 00 00, 8402 11 00 00, 8403 10 90 00");
        auto oneLine = [&](int from, int to) {
            return v.charPosition(from).y() == v.charPosition(to).y();
        };
        // Find a width at which the own rule breaks the second code.
        int width = 0;
        for (int w = 40; w < 400 && !width; w += 4) {
            v.setLineWrapColumnOrWidth(w);
            if (!oneLine(15, 27)) width = w;
        }
        QVERIFY(width);
        v.setWordBreakRule(codeRule);
        v.setLineWrapColumnOrWidth(std::max(width, 160));
        QVERIFY(oneLine(15, 27));
        QVERIFY(oneLine(0, 12));
    }

    void copyToClipboard() {
        TRichView v;
        v.replaceSelection("copy me\nplease");
        v.setSelection(5, 4);
        v.copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("me\np"));
    }

    void printsAsOneJob() {
        TRichView v;
        QString text;
        for (int i = 0; i < 200; ++i) text += QStringLiteral("Рядок тексту номер %1\n").arg(i);
        v.replaceSelection(text);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("out.pdf"));
        v.printContent(&printer, "Entry 1A001");
        QFile pdf(dir.filePath("out.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        QVERIFY(bytes.count("/Type /Page\n") + bytes.count("/Type /Page ") +
                    bytes.count("/Type /Page>") >=
                2);
        // The job title is the document's title, written in UTF-16.
        QByteArray title = "\xFE\xFF";
        for (QChar c : QString("Entry 1A001"))
            title += char(c.unicode() >> 8), title += char(c.unicode() & 0xFF);
        QVERIFY(bytes.contains(title) || bytes.contains(title.toHex().toUpper()) ||
                bytes.contains("(Entry 1A001)"));
    }

    void renderRangeMeasuresAndDraws() {
        TRichView v;
        QString text;
        for (int i = 0; i < 40; ++i)
            text += QStringLiteral("Paragraph %1 with some words in it\n").arg(i);
        v.replaceSelection(text);
        const int from = 10, to = int(text.size());
        const QRect small(720, 720, 4 * 1440, 1440);  // one inch high
        const RenderResult measured = v.renderRange(from, to, small, nullptr);
        QVERIFY(measured.firstNotFit > from && measured.firstNotFit < to);
        QVERIFY(measured.bottom > small.top() && measured.bottom <= small.top() + small.height());
        const RenderResult all =
            v.renderRange(from, to, QRect(0, 0, 8 * 1440, 100 * 1440), nullptr);
        QCOMPARE(all.firstNotFit, to);

        QImage page(800, 800, QImage::Format_RGB32);
        page.fill(Qt::white);
        page.setDotsPerMeterX(3780);  // 96 dpi, as the measuring pass assumes
        page.setDotsPerMeterY(3780);
        QPainter painter(&page);
        const RenderResult drawn = v.renderRange(from, to, small, &painter);
        painter.end();
        QCOMPARE(drawn.firstNotFit, measured.firstNotFit);
        bool inked = false;
        for (int y = 0; y < page.height() && !inked; ++y)
            for (int x = 0; x < page.width() && !inked; ++x)
                inked = page.pixel(x, y) != qRgb(255, 255, 255);
        QVERIFY(inked);
        // Nothing is drawn below the rectangle.
        const int limit = (small.top() + small.height()) * 96 / 1440 + 1;
        for (int y = limit; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) QCOMPARE(page.pixel(x, y), qRgb(255, 255, 255));
    }
};

QTEST_MAIN(TestRichView)
#include "tst_richview.moc"
