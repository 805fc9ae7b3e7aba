#include "text/rtfwriter.h"

#include <QBuffer>
#include <QHash>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QUrl>
#include <vector>

#include "text/codepage.h"
#include "text/rtfcommon.h"
#include "text/rtfreader.h"

namespace st::text {

using namespace rtf;

namespace {

struct RunProps {
    int font = 0;
    int halfPoints = 0;
    int fg = 0, bg = 0;  // colour table indices, 0: none
    int underline = 0;
    bool bold = false, italic = false, strike = false;
    int vpos = 0;  // 1 super, 2 sub
    int caps = 0;  // 1 all capitals, 2 small capitals
    bool operator==(const RunProps&) const = default;
};

struct ListInfo {
    const QTextList* list;
    int next;  // number of the next item
};

QString RomanNumber(int n) {
    static const std::pair<int, const char*> kParts[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QString s;
    for (const auto& [value, text] : kParts)
        while (n >= value) {
            s += QLatin1StringView(text);
            n -= value;
        }
    return s;
}

QString AlphaNumber(int n) {
    QString s;
    while (n > 0) {
        --n;
        s.prepend(QChar(u'a' + n % 26));
        n /= 26;
    }
    return s;
}

// The marker a list item shows, for readers that do not number lists.
QString ItemMarker(const QTextListFormat& f, int number) {
    switch (f.style()) {
        case QTextListFormat::ListDisc:
            return QString(QChar(0x2022));
        case QTextListFormat::ListCircle:
            return QString(QChar(0x25E6));
        case QTextListFormat::ListSquare:
            return QString(QChar(0x25AA));
        default:
            break;
    }
    QString n = QString::number(number);
    if (number > 0) {
        switch (f.style()) {
            case QTextListFormat::ListLowerAlpha:
                n = AlphaNumber(number);
                break;
            case QTextListFormat::ListUpperAlpha:
                n = AlphaNumber(number).toUpper();
                break;
            case QTextListFormat::ListLowerRoman:
                if (number < 4000) n = RomanNumber(number);
                break;
            case QTextListFormat::ListUpperRoman:
                if (number < 4000) n = RomanNumber(number).toUpper();
                break;
            default:
                break;
        }
    }
    return f.numberPrefix() + n + f.numberSuffix();
}

int LevelNfc(QTextListFormat::Style style) {
    switch (style) {
        case QTextListFormat::ListDisc:
        case QTextListFormat::ListCircle:
        case QTextListFormat::ListSquare:
            return 23;
        case QTextListFormat::ListUpperRoman:
            return 1;
        case QTextListFormat::ListLowerRoman:
            return 2;
        case QTextListFormat::ListUpperAlpha:
            return 3;
        case QTextListFormat::ListLowerAlpha:
            return 4;
        default:
            return 0;
    }
}

// The bytes of a single-byte code page's characters beyond ASCII.
const QHash<char16_t, uchar>& Encoder(int cp) {
    thread_local QHash<int, QHash<char16_t, uchar>> encoders;
    auto it = encoders.find(cp);
    if (it == encoders.end()) {
        QHash<char16_t, uchar> map;
        const QString& table = SingleByteTable(cp);
        for (qsizetype b = table.size() - 1; b >= 0x80; --b)
            if (table[b].unicode() >= 0x80 && table[b] != QChar::ReplacementCharacter)
                map.insert(table[b].unicode(), uchar(b));
        it = encoders.insert(cp, map);
    }
    return *it;
}

// The code page whose \'hh a reader applies to a run in a font of this
// character set, 0 when the run's characters go as \uN.
int RunCodePage(int charset) {
    if (charset < 0 || charset == 1) return 1251;  // the document's \ansicpg
    const int cp = CodePageOfCharset(charset);
    if (cp == 42 || cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp >= 10000) return 0;
    if (cp == 1252 && charset != 0) return 0;  // a character set we do not know
    return cp;
}

class Writer {
  public:
    explicit Writer(const QTextDocument& doc) : doc_(doc) {}
    QByteArray Write(int from, int to);

  private:
    void Word(const char* w) {
        out_ += '\\';
        out_ += w;
        ctl_ = true;
    }
    void Word(const char* w, int n) {
        Word(w);
        out_ += QByteArray::number(n);
    }
    void Raw(const char* s) {
        out_ += s;
        ctl_ = false;
    }
    void Text(QStringView s, int cp);
    void Paragraph(const QTextBlock& b);
    void Run(const QTextCharFormat& f, QStringView text);
    void Image(const QTextImageFormat& f);
    int Font(const QString& family, int charset);
    int Color(const QBrush& brush);
    int ListIndex(const QTextList* list);
    QByteArray Header();

    const QTextDocument& doc_;
    QByteArray out_;
    bool ctl_ = false;  // a control word was written last: text may need a delimiter
    bool haveRun_ = false;
    RunProps run_;
    int runCp_ = 1251;
    std::vector<std::pair<QString, int>> fonts_;
    QHash<QString, int> fontIndex_;  // family + charset -> index
    std::vector<QRgb> colors_;
    QHash<QRgb, int> colorIndex_;
    std::vector<ListInfo> lists_;
    QHash<const QTextList*, int> listIndex_;
};

// Text as ASCII: characters of the code page the run's font reads as \'hh,
// everything else as \uN with a '?' for readers without Unicode.
void Writer::Text(QStringView s, int cp) {
    const QHash<char16_t, uchar>* encoder = cp > 0 && cp != 1251 ? &Encoder(cp) : nullptr;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t u = s[i].unicode();
        if (u >= 0x20 && u < 0x7F) {
            if (u == u'\\' || u == u'{' || u == u'}') {
                out_ += '\\';
            } else if (ctl_ && ((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') ||
                                (u >= u'A' && u <= u'Z') || u == u' ' || u == u'-')) {
                out_ += ' ';
            }
            out_ += char(u);
            ctl_ = false;
            continue;
        }
        switch (u) {
            case u'\t':
                Word("tab");
                continue;
            case 0x2028:
                Word("line");
                continue;
            case 0x00A0:
                Raw("\\~");
                continue;
            case 0x00AD:
                Raw("\\-");
                continue;
            case 0x2011:
                Raw("\\_");
                continue;
            case 0xFFFC:
                continue;  // an object without an image
            default:
                break;
        }
        if (u < 0x20) continue;  // control characters carry no text
        if (cp > 0) {
            const int b = encoder ? encoder->value(u, 0) : cp1251Byte(QChar(u));
            if (b >= 0x80) {
                out_ += "\\'";
                out_ += QByteArray::number(b, 16);
                ctl_ = false;
                continue;
            }
        }
        Word("u", qint16(u));
        Raw("?");
    }
}

int Writer::Font(const QString& family, int charset) {
    const QString key = family + QChar(0) + QString::number(charset);
    const auto it = fontIndex_.constFind(key);
    if (it != fontIndex_.constEnd()) return *it;
    const int index = int(fonts_.size());
    fonts_.emplace_back(family, charset);
    fontIndex_.insert(key, index);
    return index;
}

int Writer::Color(const QBrush& brush) {
    if (brush.style() == Qt::NoBrush) return 0;
    const QRgb rgb = brush.color().rgb() | 0xFF000000u;
    const auto it = colorIndex_.constFind(rgb);
    if (it != colorIndex_.constEnd()) return *it;
    colors_.push_back(rgb);
    const int index = int(colors_.size());  // 0 is the automatic colour
    colorIndex_.insert(rgb, index);
    return index;
}

int Writer::ListIndex(const QTextList* list) {
    return listIndex_.value(list, -1);
}

void Writer::Paragraph(const QTextBlock& b) {
    const QTextBlockFormat bf = b.blockFormat();
    Word("pard");
    const Qt::Alignment align = bf.alignment();
    if (align & Qt::AlignJustify)
        Word("qj");
    else if (align & Qt::AlignHCenter)
        Word("qc");
    else if (align & Qt::AlignRight)
        Word("qr");
    const QTextList* list = b.textList();
    const int indent = list ? list->format().indent() : 0;
    const int li = PxToTwips(bf.leftMargin() + indent * doc_.indentWidth());
    int fi = PxToTwips(bf.textIndent());
    if (list && bf.hasProperty(kListHangProperty)) fi += bf.intProperty(kListHangProperty);
    if (li || list) Word("li", li);
    if (fi || list) Word("fi", fi);
    if (const int ri = PxToTwips(bf.rightMargin())) Word("ri", ri);
    if (const int sb = PxToTwips(bf.topMargin())) Word("sb", sb);
    if (const int sa = PxToTwips(bf.bottomMargin())) Word("sa", sa);
    switch (bf.lineHeightType()) {
        case QTextBlockFormat::ProportionalHeight:
            Word("sl", int(bf.lineHeight() * 2.4 + 0.5));
            Word("slmult", 1);
            break;
        case QTextBlockFormat::FixedHeight:
            Word("sl", -PxToTwips(bf.lineHeight()));
            Word("slmult", 0);
            break;
        case QTextBlockFormat::MinimumHeight:
            Word("sl", PxToTwips(bf.lineHeight()));
            Word("slmult", 0);
            break;
        default:
            break;
    }
    if (!list) return;
    int index = ListIndex(list);
    if (index < 0) {
        index = int(lists_.size());
        lists_.push_back({list, list->itemNumber(b)});
        listIndex_.insert(list, index);
    }
    ListInfo& info = lists_[size_t(index)];
    Word("ls", index + 1);
    Word("ilvl", qBound(0, indent - 1, 8));
    Raw("{");
    Word("listtext");
    Text(ItemMarker(list->format(), ListStartOf(list->format()) + info.next), 0);
    Word("tab");
    Raw("}");
    ++info.next;
}

void Writer::Run(const QTextCharFormat& f, QStringView text) {
    RunProps p;
    p.font = Font(f.property(QTextFormat::FontFamilies).toStringList().value(0), CharsetOf(f));
    if (f.hasProperty(QTextFormat::FontPointSize))
        p.halfPoints = qBound(1, int(f.fontPointSize() * 2 + 0.5), 3276);
    p.bold = f.fontWeight() >= QFont::DemiBold;
    p.italic = f.fontItalic();
    p.underline = f.underlineStyle();
    p.strike = f.fontStrikeOut();
    p.fg = Color(f.foreground());
    p.bg = Color(f.background());
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) p.vpos = 1;
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) p.vpos = 2;
    if (f.fontCapitalization() == QFont::AllUppercase) p.caps = 1;
    if (f.fontCapitalization() == QFont::SmallCaps) p.caps = 2;
    if (!haveRun_ || !(p == run_)) {
        Word("plain");
        Word("f", p.font);
        if (p.halfPoints) Word("fs", p.halfPoints);
        if (p.bold) Word("b");
        if (p.italic) Word("i");
        switch (p.underline) {
            case QTextCharFormat::SingleUnderline:
                Word("ul");
                break;
            case QTextCharFormat::DashUnderline:
                Word("uldash");
                break;
            case QTextCharFormat::DotLine:
                Word("uld");
                break;
            case QTextCharFormat::DashDotLine:
                Word("uldashd");
                break;
            case QTextCharFormat::DashDotDotLine:
                Word("uldashdd");
                break;
            case QTextCharFormat::WaveUnderline:
                Word("ulwave");
                break;
            default:
                break;  // spell-check marks are no document format
        }
        if (p.strike) Word("strike");
        if (p.fg) Word("cf", p.fg);
        if (p.bg) {
            Word("highlight", p.bg);
            Word("cb", p.bg);
        }
        if (p.vpos == 1) Word("super");
        if (p.vpos == 2) Word("sub");
        if (p.caps == 1) Word("caps");
        if (p.caps == 2) Word("scaps");
        run_ = p;
        haveRun_ = true;
        runCp_ = RunCodePage(fonts_[size_t(p.font)].second);
    }
    Text(text, runCp_);
}

void Writer::Image(const QTextImageFormat& f) {
    const QVariant v = doc_.resource(QTextDocument::ImageResource, QUrl(f.name()));
    QImage image = v.userType() == QMetaType::QByteArray ? QImage::fromData(v.toByteArray())
                                                         : qvariant_cast<QImage>(v);
    if (image.isNull()) return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return;
    qreal w = f.width(), h = f.height();
    if (w <= 0 && h <= 0) {
        w = image.width();
        h = image.height();
    } else if (w <= 0) {
        w = h * image.width() / qMax(1, image.height());
    } else if (h <= 0) {
        h = w * image.height() / qMax(1, image.width());
    }
    Raw("{");
    Word("pict");
    Word("pngblip");
    Word("picw", image.width());
    Word("pich", image.height());
    Word("picwgoal", PxToTwips(w));
    Word("pichgoal", PxToTwips(h));
    const QByteArray hex = png.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        out_ += '\n';
        out_.append(hex.constData() + i, qMin<qsizetype>(128, hex.size() - i));
    }
    Raw("}");
}

QByteArray Writer::Header() {
    QByteArray h = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1{\\fonttbl";
    for (size_t i = 0; i < fonts_.size(); ++i) {
        h += "{\\f" + QByteArray::number(qsizetype(i)) + "\\fnil";
        if (fonts_[i].second >= 0) h += "\\fcharset" + QByteArray::number(fonts_[i].second);
        out_.clear();
        ctl_ = true;
        QString name = fonts_[i].first;
        name.replace(u';', u' ');
        Text(name, 0);
        h += out_ + ";}";
    }
    h += "}\n{\\colortbl;";
    for (QRgb c : colors_)
        h += "\\red" + QByteArray::number(qRed(c)) + "\\green" + QByteArray::number(qGreen(c)) +
             "\\blue" + QByteArray::number(qBlue(c)) + ';';
    h += "}\n";
    if (lists_.empty()) return h;
    // One list per QTextList, its nine levels alike: a paragraph's level is
    // its list's indent.
    h += "{\\*\\listtable";
    for (size_t i = 0; i < lists_.size(); ++i) {
        const QTextListFormat lf = lists_[i].list->format();
        const int nfc = LevelNfc(lf.style());
        h += "\n{\\list\\listtemplateid" + QByteArray::number(qsizetype(i + 1));
        for (int level = 0; level < 9; ++level) {
            h += "{\\listlevel\\levelnfc" + QByteArray::number(nfc) + "\\levelnfcn" +
                 QByteArray::number(nfc) + "\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat" +
                 QByteArray::number(ListStartOf(lf)) + "{\\leveltext";
            out_.clear();
            ctl_ = false;
            if (nfc == 23) {
                out_ += "\\'01";
                Text(ItemMarker(lf, 1), 0);
                h += out_ + ";}{\\levelnumbers;}";
            } else {
                const QString prefix = lf.numberPrefix().left(32);
                const QString suffix = lf.numberSuffix().left(32);
                out_ += "\\'" + QByteArray::number(prefix.size() + 1 + suffix.size(), 16)
                                    .rightJustified(2, '0');
                Text(prefix, 0);
                out_ += "\\'0" + QByteArray::number(level);
                ctl_ = false;
                Text(suffix, 0);
                h += out_ + ";}{\\levelnumbers\\'" +
                     QByteArray::number(prefix.size() + 1, 16).rightJustified(2, '0') + ";}";
            }
            h += "\\fi-360\\li" + QByteArray::number(720 * (level + 1)) + "}";
        }
        h += "{\\listname ;}\\listid" + QByteArray::number(qsizetype(i + 1)) + "}";
    }
    h += "}\n{\\*\\listoverridetable";
    for (size_t i = 0; i < lists_.size(); ++i)
        h += "{\\listoverride\\listid" + QByteArray::number(qsizetype(i + 1)) +
             "\\listoverridecount0\\ls" + QByteArray::number(qsizetype(i + 1)) + "}";
    h += "}\n";
    return h;
}

QByteArray Writer::Write(int from, int to) {
    const int last = qMax(0, doc_.characterCount() - 1);  // the end of the last block
    if (to < 0 || to > last) to = last;
    from = qBound(0, from, to);
    QTextBlock b = doc_.findBlock(from);
    for (bool first = true; b.isValid() && (first || b.position() < to); b = b.next()) {
        first = false;
        Paragraph(b);
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const int start = qMax(frag.position(), from);
            const int end = qMin(frag.position() + frag.length(), to);
            if (start >= end) continue;
            const QTextCharFormat cf = frag.charFormat();
            const QString text = frag.text();
            if (cf.isImageFormat()) {
                for (int i = start; i < end; ++i) Image(cf.toImageFormat());
                continue;
            }
            Run(cf, QStringView(text).mid(start - frag.position(), end - start));
        }
        Word("par");
        // a paragraph end inside the range and no more text: an empty paragraph
        // keeps it, as the reader drops a final \par
        if (b.position() + b.length() - 1 < to && !(b.next().isValid() && b.next().position() < to))
            Word("par");
        Raw("\n");
    }
    QByteArray body = std::move(out_);
    if (fonts_.empty()) fonts_.emplace_back(QString(), -1);
    QByteArray rtf = Header();
    rtf += body;
    rtf += '}';
    return rtf;
}

}  // namespace

QByteArray WriteRtf(const QTextDocument& doc, int from, int to) {
    return Writer(doc).Write(from, to);
}

}  // namespace st::text
