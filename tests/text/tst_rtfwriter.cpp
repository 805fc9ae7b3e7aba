#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <functional>

#include "rtftesthelp.h"
#include "text/rtfreader.h"
#include "text/rtfwrite.h"
#include "text/rtfwriter.h"

using namespace st::text;
using namespace rtftest;

using Builder = std::function<void(QTextCursor&)>;
Q_DECLARE_METATYPE(Builder)

namespace {

// The text with each run's format: "[desc]text" wherever the format changes.
QString Runs(const QTextDocument& doc) {
    QString out, last = u"-"_qs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin()) out += u'\n';
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            QString desc = DescribeChar(f.charFormat());
            if (f.charFormat().isImageFormat()) {
                const QTextImageFormat img = f.charFormat().toImageFormat();
                const QImage image =
                    doc.resource(QTextDocument::ImageResource, QUrl(img.name())).value<QImage>();
                desc = u"image %1x%2 w=%3 h=%4 px=%5"_qs.arg(image.width())
                           .arg(image.height())
                           .arg(img.width())
                           .arg(img.height())
                           .arg(image.isNull() ? 0 : image.pixel(0, 0), 0, 16);
            }
            if (desc != last) out += "[" + desc + "]";
            last = desc;
            out += f.text();
        }
    }
    return out;
}

// Which list each block is in, by order of first appearance; -1 for none.
QList<int> ListIds(const QTextDocument& doc) {
    QList<QTextList*> seen;
    QList<int> ids;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextList* list = b.textList();
        if (list && !seen.contains(list)) seen << list;
        ids << (list ? int(seen.indexOf(list)) : -1);
    }
    return ids;
}

QTextCharFormat Font(const QString& family, int charset, qreal size = 0) {
    QTextCharFormat f;
    if (!family.isEmpty()) f.setFontFamilies({family});
    if (charset >= 0) SetCharset(f, charset);
    if (size > 0) f.setFontPointSize(size);
    return f;
}

void List(QTextCursor& c, QTextListFormat::Style style, int indent = 1, int start = 1,
          const QString& prefix = QString(), const QString& suffix = u"."_qs) {
    QTextListFormat lf;
    lf.setStyle(style);
    lf.setIndent(indent);
    lf.setNumberPrefix(prefix);
    lf.setNumberSuffix(suffix);
    SetListStart(lf, start);
    c.createList(lf);
}

void NoList(QTextCursor& c) {
    if (QTextList* list = c.currentList()) list->remove(c.block());
    c.setBlockFormat(QTextBlockFormat());
}

bool IsAscii(const QByteArray& b) {
    return std::all_of(b.begin(), b.end(), [](char c) { return uchar(c) < 0x80; });
}

}  // namespace

class TestRtfWriter : public QObject {
    Q_OBJECT
  private slots:
    void roundTrip_data() {
        QTest::addColumn<Builder>("build");
        QTest::newRow("empty document") << Builder([](QTextCursor&) {});
        QTest::newRow("escapes and breaks") << Builder([](QTextCursor& c) {
            c.insertText(u"a\\b{c}d\te\u2028f\u00A0g\u00ADh\u2011i -1 x9"_qs);
        });
        QTest::newRow("characters of many scripts") << Builder([](QTextCursor& c) {
            c.insertText(u"Лазер ҐЇЄІ ґїєі №€™ «»—– àéü αβγ 中文 한국 😀 \u0098 \uFFFD"_qs);
        });
        QTest::newRow("empty paragraphs")
            << Builder([](QTextCursor& c) { c.insertText(u"\n\na\n\n"_qs); });
        QTest::newRow("character formats") << Builder([](QTextCursor& c) {
            QTextCharFormat f;
            c.insertText("plain ", f);
            f.setFontWeight(QFont::Bold);
            c.insertText("bold ", f);
            f.setFontItalic(true);
            c.insertText("both ", f);
            for (auto style : {QTextCharFormat::SingleUnderline, QTextCharFormat::DashUnderline,
                               QTextCharFormat::DotLine, QTextCharFormat::DashDotLine,
                               QTextCharFormat::DashDotDotLine, QTextCharFormat::WaveUnderline}) {
                QTextCharFormat u;
                u.setUnderlineStyle(style);
                c.insertText("u", u);
            }
            QTextCharFormat s;
            s.setFontStrikeOut(true);
            c.insertText("strike", s);
            QTextCharFormat v;
            v.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            c.insertText("sup", v);
            v.setVerticalAlignment(QTextCharFormat::AlignSubScript);
            c.insertText("sub", v);
            QTextCharFormat caps;
            caps.setFontCapitalization(QFont::AllUppercase);
            c.insertText("caps", caps);
            caps.setFontCapitalization(QFont::SmallCaps);
            c.insertText("small", caps);
            QTextCharFormat col;
            col.setForeground(QColor(200, 10, 30));
            c.insertText("red", col);
            col.setBackground(QColor(0, 255, 0));
            c.insertText("on green", col);
            col.clearForeground();
            c.insertText("just green", col);
        });
        QTest::newRow("fonts sizes and charsets") << Builder([](QTextCursor& c) {
            c.insertText(u"Кирилиця "_qs, Font("Arial", 204, 10));
            c.insertText(u"West Кир "_qs, Font("Times New Roman", 0, 10.5));
            c.insertText(u"Ελληνικά "_qs, Font("Greek Font", 161, 72));
            c.insertText(u"no charset Я "_qs, Font("Courier New", -1, 7));
            c.insertText(u"charset only Я "_qs, Font(QString(), 204));
            c.insertText(u"Шрифт name "_qs, Font(u"Шрифт; Mono"_qs.remove(u';'), 204, 12));
            c.insertText(u"symbol \uF0B7"_qs, Font("Symbol", 2));
        });
        QTest::newRow("paragraph formats") << Builder([](QTextCursor& c) {
            QTextBlockFormat f;
            f.setAlignment(Qt::AlignHCenter);
            c.setBlockFormat(f);
            c.insertText("center");
            f = QTextBlockFormat();
            f.setAlignment(Qt::AlignRight);
            f.setLeftMargin(96);
            f.setRightMargin(48);
            f.setTextIndent(-24);
            f.setTopMargin(8);
            f.setBottomMargin(400 / 15.0);
            c.insertBlock(f);
            c.insertText("right with margins");
            f = QTextBlockFormat();
            f.setAlignment(Qt::AlignJustify);
            f.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
            c.insertBlock(f);
            c.insertText("justify 150%");
            f = QTextBlockFormat();
            f.setLineHeight(20, QTextBlockFormat::FixedHeight);
            f.setLeftMargin(-10);
            c.insertBlock(f);
            c.insertText("fixed");
            f.setLineHeight(18, QTextBlockFormat::MinimumHeight);
            c.insertBlock(f);
            c.insertText("minimum");
            c.insertBlock(QTextBlockFormat());
            c.insertText("plain");
        });
        QTest::newRow("lists") << Builder([](QTextCursor& c) {
            c.insertText("intro");
            c.insertBlock();
            List(c, QTextListFormat::ListDisc);
            c.insertText("disc 1");
            c.insertBlock();
            c.insertText("disc 2");
            c.insertBlock();
            List(c, QTextListFormat::ListCircle, 2);
            c.insertText("circle");
            c.insertBlock();
            List(c, QTextListFormat::ListSquare, 3);
            c.insertText("square");
            c.insertBlock();
            List(c, QTextListFormat::ListDecimal, 1, 5, u"("_qs, u")"_qs);
            c.insertText("decimal from 5");
            c.insertBlock();
            c.insertText("decimal 6");
            c.insertBlock();
            NoList(c);
            c.insertText("between");
            c.insertBlock();
            List(c, QTextListFormat::ListDecimal, 1, 5, u"("_qs, u")"_qs);
            c.insertText("another list, same style");
            c.insertBlock();
            List(c, QTextListFormat::ListLowerAlpha, 2, 1, QString(), QString());
            c.insertText("alpha");
            c.insertBlock();
            List(c, QTextListFormat::ListUpperAlpha);
            c.insertText("ALPHA");
            c.insertBlock();
            List(c, QTextListFormat::ListLowerRoman, 1, 3, u"§"_qs);
            c.insertText("roman");
            c.insertBlock();
            List(c, QTextListFormat::ListUpperRoman);
            c.insertText("ROMAN");
            QTextBlockFormat f = c.blockFormat();
            f.setLeftMargin(20);
            f.setTextIndent(6);
            c.setBlockFormat(f);
            c.insertBlock();
            NoList(c);
            c.insertText("end");
        });
        QTest::newRow("list read from rich edit") << Builder([](QTextCursor& c) {
            QVERIFY(InsertRtf(c,
                              "{\\rtf1{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}"
                              "\\fi-360\\li720 a\\par{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody"
                              "\\pndec{\\pntxta.}}\\fi-360\\li720 b\\par\\pard c}"));
        });
        QTest::newRow("images") << Builder([](QTextCursor& c) {
            QImage image(5, 3, QImage::Format_ARGB32);
            image.fill(QColor(10, 20, 30));
            c.document()->addResource(QTextDocument::ImageResource, QUrl("mem:a"), image);
            QImage other(2, 2, QImage::Format_RGB32);
            other.fill(Qt::yellow);
            c.document()->addResource(QTextDocument::ImageResource, QUrl("mem:b"), other);
            c.insertText("before ");
            QTextImageFormat f;
            f.setName("mem:a");
            c.insertImage(f);
            c.insertImage(f);
            f.setName("mem:b");
            f.setWidth(40);
            f.setHeight(30);
            c.insertImage(f);
            c.insertText(" after");
            f.setName("mem:missing");
            c.insertImage(f);
        });
    }
    void roundTrip() {
        QFETCH(Builder, build);
        QTextDocument doc;
        QTextCursor c(&doc);
        build(c);
        const QByteArray rtf = WriteRtf(doc);
        QVERIFY2(IsAscii(rtf), rtf.constData());
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251\\deff0"));
        const auto back = Read(rtf);
        // an image the document cannot give is left out
        QString text = Text(doc);
        if (QTest::currentDataTag() == QByteArray("images")) text.chop(1);
        QCOMPARE(Text(*back), text);
        QString runs = Runs(doc);
        if (QTest::currentDataTag() == QByteArray("images"))
            runs = runs.left(runs.lastIndexOf(u"[image"));
        QCOMPARE(Runs(*back), runs);
        QCOMPARE(DescribeBlocks(*back), DescribeBlocks(doc));
        QCOMPARE(ListIds(*back), ListIds(doc));
        // and once more: the second writing is the first
        QCOMPARE(WriteRtf(*back), rtf);
    }

    void ranges_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("whole") << 0 << -1;
        QTest::newRow("inside a paragraph") << 1 << 2;
        QTest::newRow("across paragraphs") << 1 << 6;
        QTest::newRow("ending after a paragraph end") << 0 << 4;
        QTest::newRow("a paragraph end only") << 3 << 4;
        QTest::newRow("empty") << 5 << 5;
        QTest::newRow("to the end") << 6 << -1;
        QTest::newRow("beyond the end") << 9 << 1000;
    }
    void ranges() {
        QFETCH(int, from);
        QFETCH(int, to);
        QTextDocument doc;
        QTextCursor c(&doc);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        c.insertText("abc\n");
        c.insertText("d", bold);
        c.insertText("ef\n");
        List(c, QTextListFormat::ListDecimal);
        c.insertText("ghi");
        const QString all = Text(doc);
        const QString expected = all.mid(from, (to < 0 ? all.size() : to) - from);
        const auto back = Read(WriteRtf(doc, from, to));
        QCOMPARE(Text(*back), expected);
        if (expected.contains(u'd')) QCOMPARE(DescribeChar(FormatOf(*back, "d")), u"b"_qs);
        if (expected.contains(u'h')) QVERIFY(back->lastBlock().textList());
    }

    void writesPureAscii() {
        QTextDocument doc;
        QTextCursor c(&doc);
        c.insertText(u"Аб ！😀"_qs, Font("Arial", 204));
        c.insertText(u"Абü"_qs, Font("Arial", 0));
        const QByteArray rtf = WriteRtf(doc);
        QVERIFY(IsAscii(rtf));
        QVERIFY(rtf.contains("\\uc1"));
        QVERIFY(rtf.contains("{\\f0\\fnil\\fcharset204 Arial;}{\\f1\\fnil\\fcharset0 Arial;}"));
        QVERIFY(rtf.contains("\\'c0\\'e1 \\u-255?\\u-10179?\\u-8704?"));  // code page, then \u
        // a western font: its code page, and \u for what it lacks
        QVERIFY(rtf.contains("\\u1040?\\u1073?\\'fc"));
    }

    void plainToRtf() {
        const QByteArray rtf = PlainToRtf(u"Перший {1}\r\nдругий\tтаб\n"_qs);
        QVERIFY(IsAscii(rtf));
        const auto doc = Read(rtf);
        QCOMPARE(Text(*doc), u"Перший {1}\nдругий\tтаб\n"_qs);
        QCOMPARE(DescribeChar(FormatOf(*doc, u"друг"_qs)), u"10pt f=Arial cs=204"_qs);
        QCOMPARE(Text(*Read(PlainToRtf(QString()))), QString());
    }

    // Other readers see the same text.
    void readsElsewhere() {
        const QString unrtf = QStandardPaths::findExecutable("unrtf");
        const QString soffice = QStandardPaths::findExecutable("soffice");
        if (unrtf.isEmpty() && soffice.isEmpty()) QSKIP("neither unrtf nor soffice is installed");
        QTextDocument doc;
        QTextCursor c(&doc);
        c.insertText(u"Лазерні прилади, "_qs, Font("Arial", 204, 10));
        QTextCharFormat bold = Font("Arial", 204, 10);
        bold.setFontWeight(QFont::Bold);
        c.insertText(u"жирний {текст} \\ "_qs, bold);
        c.insertText(u"Zürich — “quoted”\n"_qs, Font("Times New Roman", 0, 12));
        c.insertText(u"Second paragraph 3.5\tend"_qs, Font("Arial", 204, 10));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath("doc.rtf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(WriteRtf(doc));
        file.close();
        QString text;
        QProcess p;
        if (!unrtf.isEmpty()) {
            // its HTML has every character; its plain text only Latin-1
            p.start(unrtf, {"--html", file.fileName()});
            QVERIFY(p.waitForFinished(20000));
            QTextDocument html;
            html.setHtml(QString::fromUtf8(p.readAllStandardOutput()));
            text = html.toPlainText();
        } else {
            p.start(soffice, {"--headless", "--convert-to", "txt:Text (encoded):UTF8", "--outdir",
                              dir.path(), file.fileName()});
            QVERIFY(p.waitForFinished(120000));
            QFile out(dir.filePath("doc.txt"));
            QVERIFY(out.open(QIODevice::ReadOnly));
            text = QString::fromUtf8(out.readAll());
        }
        QCOMPARE(text.simplified(), doc.toPlainText().simplified());
    }
};

QTEST_MAIN(TestRtfWriter)
#include "tst_rtfwriter.moc"
