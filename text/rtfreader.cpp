#include "text/rtfreader.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QPointer>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/codepage.h"
#include "text/rtfcommon.h"

namespace st::text {

using namespace rtf;

int CharsetOf(const QTextCharFormat& f) {
    return f.hasProperty(kCharsetProperty) ? f.intProperty(kCharsetProperty) : -1;
}

void SetCharset(QTextCharFormat& f, int charset) {
    if (charset < 0)
        f.clearProperty(kCharsetProperty);
    else
        f.setProperty(kCharsetProperty, charset);
}

int ListStartOf(const QTextListFormat& f) {
    return f.hasProperty(kListStartProperty) ? f.intProperty(kListStartProperty) : 1;
}

void SetListStart(QTextListFormat& f, int start) {
    if (start == 1)
        f.clearProperty(kListStartProperty);
    else
        f.setProperty(kListStartProperty, start);
}

int CodePageOfCharset(int charset) {
    switch (charset) {
        case 0:
            return 1252;
        case 2:
            return 42;  // symbol: bytes are glyph numbers
        case 77:
            return 10000;
        case 78:
            return 10001;
        case 79:
            return 10003;
        case 80:
            return 10008;
        case 81:
            return 10002;
        case 85:
            return 10006;
        case 86:
            return 10081;
        case 88:
            return 10029;
        case 89:
            return 10007;
        case 128:
            return 932;
        case 129:
            return 949;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        case 254:
            return 437;
        case 255:
            return 850;
        default:
            return 1252;
    }
}

bool LooksLikeRtf(const QByteArray& bytes) {
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.mid(i, 5) == "{\\rtf";
}

namespace {

constexpr int kMaxDepth = 1000;         // deeper groups keep their text, not their formatting
constexpr int kMaxNameLength = 256;     // font names
constexpr int kMaxTableSize = 1 << 16;  // fonts, colours, lists
constexpr int kMaxListItems = 1000;
constexpr qint64 kMaxImagePixels = 16 << 20;
constexpr qint64 kMaxTotalPixels = 48 << 20;

bool IsDbcs(int cp) {
    switch (cp) {
        case 932:
        case 936:
        case 949:
        case 950:
        case 10001:
        case 10002:
        case 10003:
        case 10008:
            return true;
        default:
            return false;
    }
}

bool IsLeadByte(int cp, uchar b) {
    if (cp == 932 || cp == 10001) return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return b >= 0x81 && b <= 0xFE;
}

QByteArray DecoderName(int cp) {
    switch (cp) {
        case 874:
            return "windows-874";
        case 932:
        case 10001:
            return "windows-31j";
        case 936:
        case 10008:
            return "windows-936";
        case 949:
        case 10003:
            return "windows-949";
        case 950:
        case 10002:
            return "windows-950";
        case 437:
            return "IBM437";
        case 850:
            return "IBM850";
        case 10000:
            return "macintosh";
        case 10006:
            return "x-mac-greek";
        case 10007:
            return "x-mac-cyrillic";
        case 10029:
            return "x-mac-centraleurroman";
        case 10081:
            return "x-mac-turkish";
        default:
            return "windows-" + QByteArray::number(cp);
    }
}

QString DecodeBytes(const QByteArray& bytes, int cp) {
    if (cp == 1251) return decodeCp1251(bytes);
    if (cp == 42 || cp == 28591) return QString::fromLatin1(bytes);
    if (cp == 65001) return QString::fromUtf8(bytes);
    // ICU converters are slow to open: one set per thread, stateless so
    // they can be shared by every read.
    thread_local std::unordered_map<int, std::unique_ptr<QStringDecoder>> cache;
    auto& dec = cache[cp];
    if (!dec) {
        dec = std::make_unique<QStringDecoder>(DecoderName(cp).constData(),
                                               QStringConverter::Flag::Stateless);
        if (!dec->isValid())
            dec = std::make_unique<QStringDecoder>(("cp" + QByteArray::number(cp)).constData(),
                                                   QStringConverter::Flag::Stateless);
    }
    if (!dec->isValid()) return QString::fromLatin1(bytes);
    return (*dec)(bytes);
}

bool IsValidUtf8(const uchar* p, const uchar* end, bool* hasHigh) {
    *hasHigh = false;
    while (p < end) {
        const uchar c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        *hasHigh = true;
        int n;
        if (c >= 0xC2 && c <= 0xDF)
            n = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            n = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            n = 3;
        else
            return false;
        if (end - p <= n) return false;
        for (int i = 1; i <= n; ++i)
            if ((p[i] & 0xC0) != 0x80) return false;
        p += n + 1;
    }
    return true;
}

enum class K : quint16 {
    None,
    SkipDest,
    Container,  // a destination whose content is read as it comes
    // document
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCpg,
    Deff,
    Uc,
    U,
    Bin,
    Upr,
    Ud,
    // destinations we read
    FontTbl,
    ColorTbl,
    ListTable,
    ListOverrideTable,
    List,
    ListLevel,
    LevelText,
    ListOverride,
    Pn,
    PnTxtA,
    PnTxtB,
    Pict,
    ListText,
    // font and colour tables
    F,
    FCharset,
    Cpg,
    Red,
    Green,
    Blue,
    // lists
    ListId,
    LevelNfc,
    LevelStartAt,
    Ls,
    Ilvl,
    PnLvl,
    PnLvlBody,
    PnLvlBlt,
    PnLvlCont,
    PnDec,
    PnUcLtr,
    PnLcLtr,
    PnUcRm,
    PnLcRm,
    PnStart,
    PnF,
    // pictures
    PngBlip,
    JpegBlip,
    OtherBlip,
    PicW,
    PicH,
    PicWGoal,
    PicHGoal,
    PicScaleX,
    PicScaleY,
    // text
    Par,
    Line,
    Tab,
    Page,
    Sect,
    Cell,
    NestCell,
    Row,
    NestRow,
    NestTableProps,
    Char,
    // character formatting
    Plain,
    B,
    I,
    Ul,
    UlDot,
    UlDash,
    UlDashDot,
    UlDashDotDot,
    UlWave,
    UlNone,
    Strike,
    StrikeD,
    Fs,
    Cf,
    Cb,
    Highlight,
    ChCbPat,
    Super,
    Sub,
    NoSuperSub,
    Caps,
    SCaps,
    V,
    // paragraph formatting
    Pard,
    Ql,
    Qc,
    Qr,
    Qj,
    Li,
    Ri,
    Fi,
    Sb,
    Sa,
    Sl,
    SlMult,
    InTbl,
    Itap,
};

struct Word {
    K k;
    char16_t ch = 0;  // K::Char: the character it stands for
};

const std::unordered_map<std::string_view, Word>& Words() {
    static const std::unordered_map<std::string_view, Word> words = [] {
        std::unordered_map<std::string_view, Word> m = {
            {"ansi", {K::Ansi}},
            {"mac", {K::Mac}},
            {"pc", {K::Pc}},
            {"pca", {K::Pca}},
            {"ansicpg", {K::AnsiCpg}},
            {"deff", {K::Deff}},
            {"uc", {K::Uc}},
            {"u", {K::U}},
            {"bin", {K::Bin}},
            {"upr", {K::Upr}},
            {"ud", {K::Ud}},
            {"fonttbl", {K::FontTbl}},
            {"colortbl", {K::ColorTbl}},
            {"listtable", {K::ListTable}},
            {"listoverridetable", {K::ListOverrideTable}},
            {"list", {K::List}},
            {"listlevel", {K::ListLevel}},
            {"leveltext", {K::LevelText}},
            {"listoverride", {K::ListOverride}},
            {"pn", {K::Pn}},
            {"pntxta", {K::PnTxtA}},
            {"pntxtb", {K::PnTxtB}},
            {"pict", {K::Pict}},
            {"listtext", {K::ListText}},
            {"f", {K::F}},
            {"fcharset", {K::FCharset}},
            {"cpg", {K::Cpg}},
            {"red", {K::Red}},
            {"green", {K::Green}},
            {"blue", {K::Blue}},
            {"listid", {K::ListId}},
            {"levelnfc", {K::LevelNfc}},
            {"levelnfcn", {K::LevelNfc}},
            {"levelstartat", {K::LevelStartAt}},
            {"ls", {K::Ls}},
            {"ilvl", {K::Ilvl}},
            {"pnlvl", {K::PnLvl}},
            {"pnlvlbody", {K::PnLvlBody}},
            {"pnlvlblt", {K::PnLvlBlt}},
            {"pnlvlcont", {K::PnLvlCont}},
            {"pndec", {K::PnDec}},
            {"pnucltr", {K::PnUcLtr}},
            {"pnlcltr", {K::PnLcLtr}},
            {"pnucrm", {K::PnUcRm}},
            {"pnlcrm", {K::PnLcRm}},
            {"pnord", {K::PnDec}},
            {"pncard", {K::PnDec}},
            {"pnordt", {K::PnDec}},
            {"pnstart", {K::PnStart}},
            {"pnf", {K::PnF}},
            {"pngblip", {K::PngBlip}},
            {"jpegblip", {K::JpegBlip}},
            {"emfblip", {K::OtherBlip}},
            {"wmetafile", {K::OtherBlip}},
            {"macpict", {K::OtherBlip}},
            {"pmmetafile", {K::OtherBlip}},
            {"dibitmap", {K::OtherBlip}},
            {"wbitmap", {K::OtherBlip}},
            {"picw", {K::PicW}},
            {"pich", {K::PicH}},
            {"picwgoal", {K::PicWGoal}},
            {"pichgoal", {K::PicHGoal}},
            {"picscalex", {K::PicScaleX}},
            {"picscaley", {K::PicScaleY}},
            {"par", {K::Par}},
            {"line", {K::Line}},
            {"tab", {K::Tab}},
            {"page", {K::Page}},
            {"sect", {K::Sect}},
            {"cell", {K::Cell}},
            {"nestcell", {K::NestCell}},
            {"row", {K::Row}},
            {"nestrow", {K::NestRow}},
            {"nesttableprops", {K::NestTableProps}},
            {"shppict", {K::Container}},
            {"shp", {K::Container}},
            {"shprslt", {K::Container}},
            {"field", {K::Container}},
            {"fldrslt", {K::Container}},
            {"object", {K::Container}},
            {"result", {K::Container}},
            {"emdash", {K::Char, 0x2014}},
            {"endash", {K::Char, 0x2013}},
            {"emspace", {K::Char, 0x2003}},
            {"enspace", {K::Char, 0x2002}},
            {"qmspace", {K::Char, 0x2005}},
            {"bullet", {K::Char, 0x2022}},
            {"lquote", {K::Char, 0x2018}},
            {"rquote", {K::Char, 0x2019}},
            {"ldblquote", {K::Char, 0x201C}},
            {"rdblquote", {K::Char, 0x201D}},
            {"zwj", {K::Char, 0x200D}},
            {"zwnj", {K::Char, 0x200C}},
            {"ltrmark", {K::Char, 0x200E}},
            {"rtlmark", {K::Char, 0x200F}},
            {"plain", {K::Plain}},
            {"b", {K::B}},
            {"i", {K::I}},
            {"ul", {K::Ul}},
            {"ulw", {K::Ul}},
            {"uldb", {K::Ul}},
            {"ulth", {K::Ul}},
            {"uld", {K::UlDot}},
            {"ulthd", {K::UlDot}},
            {"uldash", {K::UlDash}},
            {"ulthdash", {K::UlDash}},
            {"ulldash", {K::UlDash}},
            {"ulthldash", {K::UlDash}},
            {"uldashd", {K::UlDashDot}},
            {"ulthdashd", {K::UlDashDot}},
            {"uldashdd", {K::UlDashDotDot}},
            {"ulthdashdd", {K::UlDashDotDot}},
            {"ulwave", {K::UlWave}},
            {"ulhwave", {K::UlWave}},
            {"ululdbwave", {K::UlWave}},
            {"ulnone", {K::UlNone}},
            {"strike", {K::Strike}},
            {"striked", {K::StrikeD}},
            {"fs", {K::Fs}},
            {"cf", {K::Cf}},
            {"cb", {K::Cb}},
            {"highlight", {K::Highlight}},
            {"chcbpat", {K::ChCbPat}},
            {"super", {K::Super}},
            {"sub", {K::Sub}},
            {"nosupersub", {K::NoSuperSub}},
            {"caps", {K::Caps}},
            {"scaps", {K::SCaps}},
            {"v", {K::V}},
            {"pard", {K::Pard}},
            {"ql", {K::Ql}},
            {"qc", {K::Qc}},
            {"qr", {K::Qr}},
            {"qj", {K::Qj}},
            {"qd", {K::Qj}},
            {"li", {K::Li}},
            {"lin", {K::Li}},
            {"ri", {K::Ri}},
            {"rin", {K::Ri}},
            {"fi", {K::Fi}},
            {"sb", {K::Sb}},
            {"sa", {K::Sa}},
            {"sl", {K::Sl}},
            {"slmult", {K::SlMult}},
            {"intbl", {K::InTbl}},
            {"itap", {K::Itap}},
        };
        // Destinations whose content is never text, skipped whether starred or not.
        for (const char* name : {"stylesheet",   "info",
                                 "header",       "headerl",
                                 "headerr",      "headerf",
                                 "footer",       "footerl",
                                 "footerr",      "footerf",
                                 "footnote",     "annotation",
                                 "fldinst",      "pntext",
                                 "xe",           "tc",
                                 "txe",          "rxe",
                                 "bkmkstart",    "bkmkend",
                                 "atnid",        "atnauthor",
                                 "atntime",      "atnref",
                                 "atnicn",       "atndate",
                                 "atrfstart",    "atrfend",
                                 "author",       "operator",
                                 "title",        "subject",
                                 "keywords",     "comment",
                                 "doccomm",      "company",
                                 "manager",      "category",
                                 "hlinkbase",    "creatim",
                                 "revtim",       "printim",
                                 "buptim",       "objdata",
                                 "objclass",     "objname",
                                 "objalias",     "objsect",
                                 "objtime",      "objitem",
                                 "objtopic",     "picprop",
                                 "blipuid",      "nonshppict",
                                 "shpinst",      "shptxt",
                                 "sp",           "sn",
                                 "sv",           "do",
                                 "template",     "nonesttables",
                                 "pgdsctbl",     "generator",
                                 "ftnsep",       "ftnsepc",
                                 "ftncn",        "aftnsep",
                                 "aftnsepc",     "aftncn",
                                 "latentstyles", "datastore",
                                 "themedata",    "colorschememapping",
                                 "xmlnstbl",     "mmathPr",
                                 "listpicture",  "pnseclvl",
                                 "falt",         "panose",
                                 "fname",        "fontemb",
                                 "fontfile",     "userprops",
                                 "docvar",       "private",
                                 "revtbl",       "rsidtbl",
                                 "filetbl",      "background",
                                 "listname",     "lfolevel",
                                 "levelnumbers", "protusertbl",
                                 "pgdsc",        "wgrffmtfilter",
                                 "passwordhash", "fchars",
                                 "lchars",       "ebcstart"})
            m.emplace(name, Word{K::SkipDest});
        return m;
    }();
    return words;
}

// Destinations: what the text and the control words of a group are for.
enum class Dest : quint8 {
    Text,
    FontTable,
    ColorTable,
    ListTable,
    List,
    ListLevel,
    LevelText,
    OverrideTable,
    Override,
    Pn,
    PnBefore,
    PnAfter,
    Pict,
    Upr,
    UprChild,
    ListText,
};

struct CharProps {
    int font = -1;                                       // -1: the default font
    int halfPoints = 0;                                  // 0: not given
    int fg = -1, bg = -1, shading = -1, highlight = -1;  // colour table indices
    quint8 bold = 0, italic = 0, underline = 0, strike = 0, vpos = 0, caps = 0, hidden = 0;
    bool operator==(const CharProps&) const = default;
};

struct PnProps {
    enum Kind : quint8 { None, Numbered, Bullet, Continued };
    quint8 kind = None;
    quint8 level = 1;
    qint8 style = QTextListFormat::ListDecimal;
    int start = 1;
    QString before, after;
    bool operator==(const PnProps&) const = default;
};

struct ParaProps {
    int align = 0;
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0, sl = 0;
    bool slMult = false, liSet = false, fiSet = false, inTable = false;
    int ls = 0, ilvl = 0;
    PnProps pn;
    bool operator==(const ParaProps&) const = default;
};

struct State {
    CharProps chr;
    ParaProps para;
    Dest dest = Dest::Text;
    quint8 uc = 1;
};

struct FontDef {
    QString name;
    QStringList families;
    int charset = -1;
    int cpg = 0;
};

struct LevelDef {
    int nfc = 0;
    int start = 1;
    int li = 0, fi = 0;
    bool liSet = false, fiSet = false;
    QString text;
};

struct ListDef {
    std::vector<LevelDef> levels;
};

bool IsAlpha(uchar c) {
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}
bool IsDigit(uchar c) {
    return c >= '0' && c <= '9';
}
bool IsHex(uchar c) {
    return IsDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

int Clamp(int v, int lo, int hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

QTextListFormat::Style BulletStyle(QStringView text) {
    for (QChar c : text) {
        switch (c.unicode()) {
            case u'o':
            case 0x25E6:
            case 0x25CB:
            case 0xF06F:
                return QTextListFormat::ListCircle;
            case 0x25AA:
            case 0x25A0:
            case 0xF0A7:
            case 0xF06E:
            case 0x00A7:
                return QTextListFormat::ListSquare;
            default:
                if (c.unicode() >= 0x20) return QTextListFormat::ListDisc;
        }
    }
    return QTextListFormat::ListDisc;
}

class Reader {
  public:
    Reader(QTextCursor& cursor, const char* begin, const char* end, bool utf8, bool keepFinalBreak)
        : cursor_(cursor),
          doc_(cursor.document()),
          p_(reinterpret_cast<const uchar*>(begin)),
          end_(reinterpret_cast<const uchar*>(end)),
          utf8_(utf8),
          keepFinalBreak_(keepFinalBreak) {}

    void Run();

  private:
    State& top() { return stack_.back(); }
    Dest dest() const { return stack_.back().dest; }

    void OpenGroup();
    void CloseGroup();
    void PopState(bool finishDestination);
    void FinishDestination(State& inner, State& outer);
    void SkipGroup();
    void ControlToken();
    void Literal();
    void Span(const uchar* s, const uchar* e);
    void ControlWord(std::string_view name, bool hasParam, int param);
    bool TextWord(const Word& w, bool hasParam, int param);
    void SkipBin(int n);

    void AddByte(uchar b);
    void FlushBytes();
    int CodePage();
    void AddChar(char16_t c) { Text(QStringView(&c, 1)); }
    void Text(QStringView s);
    void TextToDocument(QStringView s);
    void Unicode(int n);
    void Hex(QStringView s);
    void HexBytes(const uchar* s, const uchar* e);

    void AppendRun(QStringView s);
    void PrepareRun();
    void BeforeContent();
    void FlushRun();
    QTextCharFormat BuildCharFormat(const CharProps& p) const;
    QColor Color(int index) const;
    void Paragraph();
    void EndBlock();
    void Cell();
    void Row();
    void ApplyBlock(const ParaProps& pp, const QString& listText);
    QPointer<QTextList>* ListFor(const ParaProps& pp, const QString& listText, QTextListFormat* lf,
                                 int* li, int* fi);
    void CommitFont();
    void CommitColor();
    void FinishPicture();

    QTextCursor& cursor_;
    QTextDocument* doc_;
    const uchar* p_;
    const uchar* end_;
    bool utf8_;
    bool keepFinalBreak_;
    bool finished_ = false;

    std::vector<State> stack_;
    int overflow_ = 0;  // groups opened beyond kMaxDepth
    bool star_ = false;
    int ucSkip_ = 0;
    char16_t pendingHigh_ = 0;

    int ansiCp_ = 1252;
    int deff_ = 0;
    int cp_ = 1252;
    bool cpDirty_ = true;

    QByteArray bytes_;
    QString decoded_;
    int bytesCp_ = 0;
    bool pendingLead_ = false;

    // the run of text waiting for one insertText
    QString run_;
    CharProps runProps_;
    QTextCharFormat runFormat_;
    bool runFormatValid_ = false;
    std::vector<std::pair<CharProps, QTextCharFormat>> formatCache_;
    bool fmtDirty_ = true;

    // paragraphs
    bool startedAtBlockStart_ = false;
    bool blockOwned_ = false;    // the block was opened by this read
    bool pendingBreak_ = false;  // a paragraph end waiting for more content
    bool blockHasContent_ = false;
    bool blockFormatInherited_ = false;
    bool appliedValid_ = false;
    ParaProps applied_;
    ParaProps lastPara_;
    ParaProps pendingPara_;  // the format of the paragraph a pending break ends
    quint64 paraSerial_ = 1, lastParaSerial_ = 0;
    int pendingCells_ = 0;
    bool nestRowClosed_ = false;

    // tables
    QHash<int, FontDef> fonts_;
    FontDef curFont_;
    int curFontIndex_ = 0;
    bool curFontActive_ = false;
    std::vector<QColor> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorGiven_ = false;

    // lists
    QHash<int, ListDef> lists_;
    QHash<int, int> overrides_;  // \ls -> \listid
    ListDef curList_;
    int curListId_ = 0;
    LevelDef curLevel_;
    int ovListId_ = 0, ovLs_ = 0;
    PnProps curPn_;
    QString destText_;
    QString listText_;  // the marker a list paragraph shows for readers without lists
    QString pendingListText_;
    QHash<qint64, QPointer<QTextList>> lsLists_;
    QPointer<QTextList> pnList_;
    QHash<const QTextList*, int> listItems_;
    PnProps pnListProps_;

    // pictures
    enum class Blip { None, Png, Jpeg, Other };
    Blip blip_ = Blip::None;
    QByteArray pict_;
    int nibble_ = -1;
    int picWGoal_ = 0, picHGoal_ = 0, picScaleX_ = 100, picScaleY_ = 100;
    qint64 totalPixels_ = 0;
};

void Reader::Run() {
    startedAtBlockStart_ = cursor_.atBlockStart();
    stack_.reserve(32);
    stack_.emplace_back();  // the document's group; p_ is past its brace
    while (p_ < end_ && !finished_) {
        switch (*p_) {
            case '{':
                ++p_;
                OpenGroup();
                break;
            case '}':
                ++p_;
                CloseGroup();
                break;
            case '\\':
                ControlToken();
                break;
            case '\r':
            case '\n':
                ++p_;
                break;
            default:
                Literal();
                break;
        }
    }
    FlushBytes();
    if (pendingHigh_) {
        pendingHigh_ = 0;
        Text(u"\uFFFD");
    }
    FlushRun();
    // A value inserted among others keeps the paragraph end it closes with.
    if (keepFinalBreak_ && pendingBreak_) BeforeContent();
    // The last paragraph takes its format only when the read opened it or
    // began at its start: one paragraph inserted inside another keeps the host's.
    if (blockOwned_ || startedAtBlockStart_) {
        if (pendingBreak_)
            ApplyBlock(pendingPara_, pendingListText_);
        else if (blockHasContent_)
            ApplyBlock(lastPara_, listText_);
    }
}

void Reader::OpenGroup() {
    FlushBytes();
    ucSkip_ = 0;
    star_ = false;
    if (overflow_ > 0 || int(stack_.size()) >= kMaxDepth) {
        ++overflow_;
        return;
    }
    State s = stack_.back();
    if (s.dest == Dest::Upr) s.dest = Dest::UprChild;
    stack_.push_back(std::move(s));
}

void Reader::CloseGroup() {
    FlushBytes();
    ucSkip_ = 0;
    star_ = false;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    PopState(true);
}

void Reader::PopState(bool finishDestination) {
    if (stack_.size() <= 1) {
        finished_ = true;
        return;
    }
    if (finishDestination) FinishDestination(stack_[stack_.size() - 1], stack_[stack_.size() - 2]);
    stack_.pop_back();
    fmtDirty_ = true;
    cpDirty_ = true;
    ++paraSerial_;
}

void Reader::FinishDestination(State& inner, State& outer) {
    switch (inner.dest) {
        case Dest::FontTable:
            if (curFontActive_ && !curFont_.name.trimmed().isEmpty()) CommitFont();
            if (outer.dest != Dest::FontTable) curFontActive_ = false;
            break;
        case Dest::LevelText:
            if (outer.dest == Dest::ListLevel) curLevel_.text = destText_;
            break;
        case Dest::ListLevel:
            if (outer.dest == Dest::List && curList_.levels.size() < 9)
                curList_.levels.push_back(curLevel_);
            break;
        case Dest::List:
            if (outer.dest == Dest::ListTable && lists_.size() < kMaxTableSize)
                lists_.insert(curListId_, curList_);
            break;
        case Dest::Override:
            if (outer.dest == Dest::OverrideTable && overrides_.size() < kMaxTableSize)
                overrides_.insert(ovLs_, ovListId_);
            break;
        case Dest::PnBefore:
            if (outer.dest == Dest::Pn) curPn_.before = destText_;
            break;
        case Dest::ListText:
            if (outer.dest == Dest::Text) listText_ = destText_.trimmed();
            break;
        case Dest::PnAfter:
            if (outer.dest == Dest::Pn) curPn_.after = destText_;
            break;
        case Dest::Pn:
            if (outer.dest == Dest::Text) outer.para.pn = curPn_;
            break;
        case Dest::Pict:
            if (outer.dest == Dest::Text && !outer.chr.hidden) FinishPicture();
            break;
        default:
            break;
    }
}

// Skips the rest of the current group, which holds nothing we read.
void Reader::SkipGroup() {
    int depth = 1;
    while (p_ < end_) {
        const uchar c = *p_++;
        if (c == '\\') {
            if (p_ >= end_) break;
            if (!IsAlpha(*p_)) {
                ++p_;
                continue;
            }
            const uchar* w = p_;
            while (p_ < end_ && IsAlpha(*p_)) ++p_;
            const bool bin = p_ - w == 3 && std::memcmp(w, "bin", 3) == 0;
            if (p_ < end_ && *p_ == '-') ++p_;
            qint64 n = 0;
            while (p_ < end_ && IsDigit(*p_)) {
                if (n < (1 << 30)) n = n * 10 + (*p_ - '0');
                ++p_;
            }
            if (p_ < end_ && *p_ == ' ') ++p_;
            if (bin) p_ += qMin<qint64>(n, end_ - p_);
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0) break;
        }
    }
    ucSkip_ = 0;
    star_ = false;
    if (overflow_ > 0)
        --overflow_;
    else
        PopState(false);
}

void Reader::ControlToken() {
    const uchar* s = p_ + 1;
    if (s >= end_) {
        p_ = end_;
        return;
    }
    const uchar n = *s;
    if (IsAlpha(n)) {
        const uchar* w = s;
        while (s < end_ && IsAlpha(*s)) ++s;
        const std::string_view name(reinterpret_cast<const char*>(w),
                                    size_t(qMin<qsizetype>(s - w, 32)));
        bool hasParam = false;
        bool negative = false;
        qint64 value = 0;
        if (s + 1 < end_ && *s == '-' && IsDigit(s[1])) {
            negative = true;
            ++s;
        }
        while (s < end_ && IsDigit(*s)) {
            hasParam = true;
            if (value < 0x7FFFFFFF) value = value * 10 + (*s - '0');
            ++s;
        }
        if (s < end_ && *s == ' ') ++s;
        p_ = s;
        value = qMin<qint64>(value, 0x7FFFFFFF);
        const int param = int(negative ? -value : value);
        if (ucSkip_ > 0) {
            // an ANSI stand-in for the preceding \u: one character whatever it is
            --ucSkip_;
            star_ = false;
            if (name == "bin" && hasParam) p_ += qMin<qint64>(qMax(param, 0), end_ - p_);
            return;
        }
        FlushBytes();
        ControlWord(name, hasParam, param);
        return;
    }
    if (n == '\'') {
        ++s;
        int v = 0, digits = 0;
        while (digits < 2 && s < end_ && IsHex(*s)) {
            const uchar h = *s++;
            v = v * 16 + (IsDigit(h) ? h - '0' : (h | 0x20) - 'a' + 10);
            ++digits;
        }
        p_ = s;
        star_ = false;
        if (ucSkip_ > 0) {
            --ucSkip_;
            return;
        }
        if (digits > 0) AddByte(uchar(v));
        return;
    }
    p_ = s + 1;
    if (ucSkip_ > 0) {
        --ucSkip_;
        star_ = false;
        return;
    }
    if (n == '*') {
        star_ = true;
        return;
    }
    star_ = false;
    switch (n) {
        case '~':
            AddChar(0x00A0);
            break;
        case '-':
            AddChar(0x00AD);
            break;
        case '_':
            AddChar(0x2011);
            break;
        case '{':
        case '}':
        case '\\':
            AddChar(n);
            break;
        case '\t':
            AddChar(u'\t');
            break;
        case '\r':
        case '\n':
            if (dest() == Dest::Text) Paragraph();  // a backslash before a line end is \par
            break;
        default:
            break;  // \: \| and unknown symbols carry no text
    }
}

void Reader::Literal() {
    const uchar c = *p_;
    if (ucSkip_ > 0) {
        ++p_;
        if (c >= 0x80 && utf8_)
            while (p_ < end_ && (*p_ & 0xC0) == 0x80) ++p_;
        --ucSkip_;
        return;
    }
    if (c < 0x80) {
        if (pendingLead_ && c >= 0x40 && !bytes_.isEmpty()) {
            // a double-byte character's trail byte written as itself
            ++p_;
            AddByte(c);
            return;
        }
        const uchar* q = p_;
        while (q < end_ &&
               ((*q >= 0x20 && *q < 0x80 && *q != '\\' && *q != '{' && *q != '}') || *q == '\t'))
            ++q;
        if (q == p_) {
            ++p_;  // other control bytes carry no text
            return;
        }
        FlushBytes();
        star_ = false;
        Span(p_, q);
        p_ = q;
        return;
    }
    star_ = false;
    if (utf8_) {
        const uchar* q = p_;
        while (q < end_ && *q >= 0x80) ++q;
        const QString s = QString::fromUtf8(reinterpret_cast<const char*>(p_), q - p_);
        p_ = q;
        Text(s);
    } else {
        ++p_;
        AddByte(c);
    }
}

void Reader::Span(const uchar* s, const uchar* e) {
    switch (dest()) {
        case Dest::Text:
            if (pendingHigh_) break;
            if (top().chr.hidden) return;
            BeforeContent();
            PrepareRun();
            run_.append(QLatin1StringView(reinterpret_cast<const char*>(s), e - s));
            blockHasContent_ = true;
            return;
        case Dest::Pict:
            HexBytes(s, e);
            return;
        case Dest::ColorTable:
            for (; s < e; ++s)
                if (*s == ';') CommitColor();
            return;
        default:
            break;
    }
    Text(QString::fromLatin1(reinterpret_cast<const char*>(s), e - s));
}

void Reader::HexBytes(const uchar* s, const uchar* e) {
    if (blip_ == Blip::Other) return;
    for (; s < e; ++s) {
        const uchar h = *s;
        int v;
        if (h >= '0' && h <= '9')
            v = h - '0';
        else if ((h | 0x20) >= 'a' && (h | 0x20) <= 'f')
            v = (h | 0x20) - 'a' + 10;
        else
            continue;
        if (nibble_ < 0) {
            nibble_ = v;
        } else {
            pict_.append(char(nibble_ * 16 + v));
            nibble_ = -1;
        }
    }
}

void Reader::Hex(QStringView s) {
    const QByteArray latin = s.toLatin1();
    HexBytes(reinterpret_cast<const uchar*>(latin.constData()),
             reinterpret_cast<const uchar*>(latin.constData()) + latin.size());
}

void Reader::SkipBin(int n) {
    const qint64 len = qMin<qint64>(qMax(n, 0), end_ - p_);
    if (dest() == Dest::Pict && overflow_ == 0 && blip_ != Blip::Other)
        pict_.append(reinterpret_cast<const char*>(p_), len);
    p_ += len;
}

int Reader::CodePage() {
    const FontDef* f = nullptr;
    if (dest() == Dest::FontTable) {
        if (!curFontActive_) return ansiCp_;
        f = &curFont_;
    } else {
        if (!cpDirty_) return cp_;
        const int index = top().chr.font >= 0 ? top().chr.font : deff_;
        const auto it = fonts_.constFind(index);
        if (it != fonts_.constEnd()) f = &*it;
    }
    int cp = ansiCp_;
    if (f && f->cpg > 0)
        cp = f->cpg;
    else if (f && f->charset >= 0 && f->charset != 1)
        cp = CodePageOfCharset(f->charset);
    if (dest() != Dest::FontTable) {
        cp_ = cp;
        cpDirty_ = false;
    }
    return cp;
}

void Reader::AddByte(uchar b) {
    if (bytes_.isEmpty()) {
        bytesCp_ = CodePage();
        pendingLead_ = false;
    }
    bytes_.append(char(b));
    if (IsDbcs(bytesCp_)) pendingLead_ = !pendingLead_ && IsLeadByte(bytesCp_, b);
}

void Reader::FlushBytes() {
    if (bytes_.isEmpty()) return;
    const QString* table = IsDbcs(bytesCp_) ? nullptr : &rtf::SingleByteTable(bytesCp_);
    if (table && !table->isEmpty()) {
        decoded_.resize(bytes_.size());
        for (qsizetype i = 0; i < bytes_.size(); ++i) decoded_[i] = (*table)[uchar(bytes_[i])];
    } else {
        decoded_ = DecodeBytes(bytes_, bytesCp_);
    }
    bytes_.clear();
    pendingLead_ = false;
    Text(decoded_);
}

void Reader::Text(QStringView s) {
    if (!bytes_.isEmpty()) FlushBytes();
    if (pendingHigh_) {
        pendingHigh_ = 0;
        Text(u"\uFFFD");
    }
    switch (dest()) {
        case Dest::Text:
            TextToDocument(s);
            break;
        case Dest::FontTable:
            for (QChar c : s) {
                if (c == u';')
                    CommitFont();
                else if (curFontActive_ && curFont_.name.size() < kMaxNameLength)
                    curFont_.name += c;
            }
            break;
        case Dest::ColorTable:
            for (QChar c : s)
                if (c == u';') CommitColor();
            break;
        case Dest::LevelText:
        case Dest::PnBefore:
        case Dest::PnAfter:
        case Dest::ListText:
            if (destText_.size() < 64) destText_ += s.left(64);
            break;
        case Dest::Pict:
            Hex(s);
            break;
        default:
            break;
    }
}

void Reader::TextToDocument(QStringView s) {
    if (top().chr.hidden || s.isEmpty()) return;
    // Characters that would become block or frame boundaries, or that carry
    // no text, must not reach insertText.
    qsizetype bad = 0;
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t') || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC)
            ++bad;
    }
    BeforeContent();
    if (bad == 0) {
        AppendRun(s);
        return;
    }
    QString clean;
    clean.reserve(s.size());
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u < 0x20 && u != u'\t') continue;
        if (u == 0x2029)
            clean += QChar(0x2028);
        else if (u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC)
            clean += QChar(0xFFFD);
        else
            clean += c;
    }
    AppendRun(clean);
}

void Reader::Unicode(int n) {
    ucSkip_ = top().uc;
    if (n < 0) n += 65536;
    if (n < 0 || n > 0x10FFFF) n = 0xFFFD;
    if (n > 0xFFFF) {
        const char16_t pair[2] = {QChar::highSurrogate(char32_t(n)),
                                  QChar::lowSurrogate(char32_t(n))};
        Text(QStringView(pair, 2));
        return;
    }
    const char16_t u = char16_t(n);
    if (QChar::isHighSurrogate(u)) {
        if (pendingHigh_) Text(u"\uFFFD");  // clears the earlier one
        pendingHigh_ = u;
        return;
    }
    if (QChar::isLowSurrogate(u)) {
        if (!pendingHigh_) {
            Text(u"\uFFFD");
            return;
        }
        const char16_t pair[2] = {pendingHigh_, u};
        pendingHigh_ = 0;
        Text(QStringView(pair, 2));
        return;
    }
    Text(QStringView(&u, 1));
}

// Opens the block a pending paragraph end promised and writes the tabs of
// cells that ended before this content.
void Reader::BeforeContent() {
    if (pendingBreak_) {
        FlushRun();
        ApplyBlock(pendingPara_, pendingListText_);
        // The new block joins a list only when its own end says so: taking a
        // block out of a list costs the list's length.
        QTextBlockFormat next = cursor_.blockFormat();
        next.setObjectIndex(-1);
        cursor_.insertBlock(next);
        pendingBreak_ = false;
        blockOwned_ = true;
        blockFormatInherited_ = true;
    }
    if (pendingCells_ > 0) {
        const int n = pendingCells_;
        pendingCells_ = 0;
        AppendRun(QString(n, u'\t'));
    }
    nestRowClosed_ = false;
}

void Reader::AppendRun(QStringView s) {
    PrepareRun();
    run_ += s;
    if (!s.isEmpty()) blockHasContent_ = true;
}

// Ends the waiting run when the format changed, and notes the paragraph
// format the text is in.
void Reader::PrepareRun() {
    if (fmtDirty_) {
        const CharProps& cp = top().chr;
        if (!(cp == runProps_)) {
            FlushRun();
            runProps_ = cp;
            runFormatValid_ = false;
        }
        fmtDirty_ = false;
    }
    if (paraSerial_ != lastParaSerial_) {
        lastPara_ = top().para;
        lastParaSerial_ = paraSerial_;
    }
}

void Reader::FlushRun() {
    if (run_.isEmpty()) return;
    if (!runFormatValid_) {
        // Formats are reused: a shared format keeps its hash for insertText.
        auto it = std::find_if(formatCache_.begin(), formatCache_.end(),
                               [&](const auto& e) { return e.first == runProps_; });
        if (it == formatCache_.end()) {
            if (formatCache_.size() >= 16) formatCache_.erase(formatCache_.begin());
            formatCache_.emplace_back(runProps_, BuildCharFormat(runProps_));
            it = formatCache_.end() - 1;
        }
        runFormat_ = it->second;
        runFormatValid_ = true;
    }
    cursor_.insertText(run_, runFormat_);
    run_.clear();
}

QColor Reader::Color(int index) const {
    if (index < 0 || size_t(index) >= colors_.size()) return QColor();
    return colors_[size_t(index)];
}

QTextCharFormat Reader::BuildCharFormat(const CharProps& p) const {
    QTextCharFormat f;
    const auto font = fonts_.constFind(p.font >= 0 ? p.font : deff_);
    if (font != fonts_.constEnd()) {
        if (!font->name.isEmpty()) f.setFontFamilies(font->families);
        if (font->charset >= 0) SetCharset(f, font->charset);
    }
    if (p.halfPoints > 0) f.setFontPointSize(p.halfPoints / 2.0);
    if (p.bold) f.setFontWeight(QFont::Bold);
    if (p.italic) f.setFontItalic(true);
    if (p.underline) f.setUnderlineStyle(QTextCharFormat::UnderlineStyle(p.underline));
    if (p.strike) f.setFontStrikeOut(true);
    if (p.caps) f.setFontCapitalization(p.caps == 1 ? QFont::AllUppercase : QFont::SmallCaps);
    if (p.vpos)
        f.setVerticalAlignment(p.vpos == 1 ? QTextCharFormat::AlignSuperScript
                                           : QTextCharFormat::AlignSubScript);
    if (const QColor c = Color(p.fg); c.isValid()) f.setForeground(c);
    QColor bg = Color(p.highlight);
    if (!bg.isValid()) bg = Color(p.shading);
    if (!bg.isValid()) bg = Color(p.bg);
    if (bg.isValid()) f.setBackground(bg);
    return f;
}

void Reader::Paragraph() {
    if (top().para.inTable) {
        AddChar(0x2028);  // a paragraph inside a cell: the row stays one paragraph
        return;
    }
    EndBlock();
}

void Reader::EndBlock() {
    FlushBytes();
    if (pendingBreak_) BeforeContent();
    FlushRun();
    pendingPara_ = top().para;
    pendingListText_ = listText_;
    listText_.clear();
    pendingBreak_ = true;
    blockHasContent_ = false;
    pendingCells_ = 0;
    nestRowClosed_ = false;
}

void Reader::Cell() {
    if (nestRowClosed_) {
        pendingCells_ = qMax(pendingCells_, 1);
        nestRowClosed_ = false;
    } else if (pendingCells_ < (1 << 20)) {
        ++pendingCells_;
    }
}

void Reader::Row() {
    const int n = pendingCells_ - 1;
    pendingCells_ = 0;
    if (n > 0 && !top().chr.hidden) {
        BeforeContent();
        AppendRun(QString(n, u'\t'));
    }
    EndBlock();
}

// The list a paragraph belongs to: its slot, and the format for making it
// at the first item. The list level's indents stand in for those the
// paragraph does not give.
QPointer<QTextList>* Reader::ListFor(const ParaProps& pp, const QString& listText,
                                     QTextListFormat* lf, int* li, int* fi) {
    QTextListFormat::Style style = QTextListFormat::ListDecimal;
    int indent = 1, start = 1;
    QString prefix, suffix;
    QPointer<QTextList>* slot = nullptr;
    if (pp.ls != 0) {
        const auto ov = overrides_.constFind(pp.ls);
        const auto def = ov == overrides_.constEnd() ? lists_.constEnd() : lists_.constFind(*ov);
        if (def != lists_.constEnd()) {
            pnList_.clear();
            LevelDef level;
            if (!def->levels.empty())
                level = def->levels[size_t(qMin<int>(pp.ilvl, int(def->levels.size()) - 1))];
            if (level.nfc == 255) return nullptr;  // a level without a number
            if (!pp.liSet && level.liSet) *li = level.li;
            if (!pp.fiSet && level.fiSet) *fi = level.fi;
            indent = pp.ilvl + 1;
            start = level.start;
            switch (level.nfc) {
                case 1:
                    style = QTextListFormat::ListUpperRoman;
                    break;
                case 2:
                    style = QTextListFormat::ListLowerRoman;
                    break;
                case 3:
                    style = QTextListFormat::ListUpperAlpha;
                    break;
                case 4:
                    style = QTextListFormat::ListLowerAlpha;
                    break;
                case 23:
                    style = BulletStyle(QStringView(level.text).mid(1));
                    break;
                default:
                    break;
            }
            // level text: its length, then the text with level numbers as
            // characters 0..8; ours are the text around this level's number
            const QString text = level.text.mid(1);
            const qsizetype first = text.indexOf(QChar(pp.ilvl));
            if (first >= 0) {
                prefix = text.left(first);
                suffix = text.mid(text.lastIndexOf(QChar(pp.ilvl)) + 1);
                if (suffix.endsWith(u';')) suffix.chop(1);
                for (QString* s : {&prefix, &suffix})
                    s->removeIf([](QChar c) { return c.unicode() < 0x20; });
            }
            slot = &lsLists_[(qint64(pp.ls) << 8) | pp.ilvl];
        } else if (!listText.isEmpty()) {
            // no list table: the marker text tells the style and first number
            const QString& m = listText;
            qsizetype i = 0;
            while (i < m.size() && !m[i].isLetterOrNumber()) ++i;
            qsizetype j = i;
            while (j < m.size() && m[j].isDigit()) ++j;
            if (j > i && j - i < 6) {
                start = QStringView(m).mid(i, j - i).toInt();
            } else if (i < m.size() && m[i].isLetter() && m[i].unicode() < 0x80 &&
                       (i + 1 == m.size() || !m[i + 1].isLetter())) {
                j = i + 1;
                style = m[i].isUpper() ? QTextListFormat::ListUpperAlpha
                                       : QTextListFormat::ListLowerAlpha;
                start = m[i].toLower().unicode() - u'a' + 1;
            } else {
                style = BulletStyle(m);
                i = j = m.size();
            }
            prefix = m.left(i);
            suffix = m.mid(j);
            indent = pp.ilvl + 1;
            slot = &lsLists_[(qint64(pp.ls) << 8) | pp.ilvl];
        }
    }
    if (!slot) {
        const PnProps& pn = pp.pn;
        if (pn.kind == PnProps::None) pnList_.clear();
        if (pn.kind == PnProps::None || pn.kind == PnProps::Continued) return nullptr;
        indent = pn.level;
        start = pn.start;
        style = QTextListFormat::Style(pn.style);
        if (pn.kind == PnProps::Bullet) {
            style = BulletStyle(pn.before);
        } else {
            prefix = pn.before;
            suffix = pn.after;
        }
        if (!(pnList_ && pnListProps_ == pn)) {
            pnList_.clear();
            pnListProps_ = pn;
        }
        slot = &pnList_;
    }
    lf->setStyle(style);
    lf->setIndent(indent);
    lf->setNumberPrefix(prefix);
    lf->setNumberSuffix(suffix);
    SetListStart(*lf, start);
    return slot;
}

void Reader::ApplyBlock(const ParaProps& pp, const QString& listText) {
    int li = pp.li, fi = pp.fi;
    QTextListFormat lf;
    QPointer<QTextList>* slot = ListFor(pp, listText, &lf, &li, &fi);
    if (!(blockFormatInherited_ && appliedValid_ && pp == applied_)) {
        QTextBlockFormat bf;
        if (pp.align) bf.setAlignment(Qt::Alignment(pp.align));
        qreal left = TwipsToPx(li);
        if (slot) {
            left -= lf.indent() * doc_->indentWidth();
            if (fi < 0) {
                bf.setProperty(kListHangProperty, fi);
                fi = 0;
            }
        }
        if (left != 0) bf.setLeftMargin(left);
        if (pp.ri) bf.setRightMargin(TwipsToPx(pp.ri));
        if (fi) bf.setTextIndent(TwipsToPx(fi));
        if (pp.sb) bf.setTopMargin(TwipsToPx(pp.sb));
        if (pp.sa) bf.setBottomMargin(TwipsToPx(pp.sa));
        if (pp.sl != 0) {
            if (pp.slMult)
                bf.setLineHeight(pp.sl * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
            else if (pp.sl > 0)
                bf.setLineHeight(TwipsToPx(pp.sl), QTextBlockFormat::MinimumHeight);
            else
                bf.setLineHeight(TwipsToPx(-pp.sl), QTextBlockFormat::FixedHeight);
        }
        const QTextList* inList = cursor_.block().textList();
        cursor_.setBlockFormat(bf);
        applied_ = pp;
        appliedValid_ = true;
        // the format replaced the block's list membership: give it back
        if (inList && cursor_.block().textList() != inList && slot && *slot == inList)
            (*slot)->add(cursor_.block());
    }
    blockFormatInherited_ = false;
    const QTextBlock block = cursor_.block();
    QTextList* have = block.textList();
    if (!slot) {
        if (have) have->remove(block);
        return;
    }
    // Qt revisits every item of a list when one joins: a long list goes on
    // in a new one that numbers on.
    if (*slot && listItems_.value(slot->data()) >= kMaxListItems) {
        SetListStart(lf, ListStartOf((*slot)->format()) + kMaxListItems);
        slot->clear();
    }
    if (!*slot) {
        *slot = cursor_.createList(lf);
        listItems_[slot->data()] = 1;
        return;
    }
    if (have != *slot) {
        (*slot)->add(block);
        ++listItems_[slot->data()];
    }
}

void Reader::CommitFont() {
    if (!curFontActive_) return;
    curFontActive_ = false;
    if (fonts_.size() >= kMaxTableSize && !fonts_.contains(curFontIndex_)) return;
    curFont_.name = curFont_.name.trimmed();
    curFont_.families = QStringList{curFont_.name};
    fonts_.insert(curFontIndex_, curFont_);
    cpDirty_ = true;
    runFormatValid_ = false;
    formatCache_.clear();
}

void Reader::CommitColor() {
    if (colors_.size() < size_t(kMaxTableSize))
        colors_.push_back(colorGiven_ ? QColor(red_, green_, blue_) : QColor());
    formatCache_.clear();
    red_ = green_ = blue_ = 0;
    colorGiven_ = false;
}

void Reader::FinishPicture() {
    const Blip blip = blip_;
    blip_ = Blip::None;
    if ((blip != Blip::Png && blip != Blip::Jpeg) || pict_.isEmpty()) return;
    QBuffer buffer(&pict_);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, blip == Blip::Png ? "png" : "jpeg");
    const QSize size = reader.size();
    const qint64 pixels = qint64(size.width()) * size.height();
    if (!size.isValid() || pixels <= 0 || pixels > kMaxImagePixels ||
        totalPixels_ + pixels > kMaxTotalPixels)
        return;
    QImage image;
    if (!reader.read(&image)) return;
    totalPixels_ += pixels;
    const QString name =
        QStringLiteral("rtfimage:") +
        QString::fromLatin1(QCryptographicHash::hash(pict_, QCryptographicHash::Md5).toHex());
    doc_->addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat f;
    f.setName(name);
    // the size the document asks for, when it is not the image's own at 96 dpi
    if (picWGoal_ > 0) {
        const qreal w = TwipsToPx(picWGoal_) * qMax(picScaleX_, 1) / 100.0;
        if (qAbs(w - image.width()) > 0.01) f.setWidth(w);
    }
    if (picHGoal_ > 0) {
        const qreal h = TwipsToPx(picHGoal_) * qMax(picScaleY_, 1) / 100.0;
        if (qAbs(h - image.height()) > 0.01) f.setHeight(h);
    }
    BeforeContent();
    FlushRun();
    cursor_.insertImage(f);
    blockHasContent_ = true;
}

void Reader::ControlWord(std::string_view name, bool hasParam, int param) {
    const bool starred = star_;
    star_ = false;
    const auto& words = Words();
    const auto it = words.find(name);
    if (it == words.end()) {
        if (starred) SkipGroup();
        return;
    }
    const Word& w = it->second;
    if (w.k == K::SkipDest) {
        SkipGroup();
        return;
    }
    if (w.k == K::Container) return;
    State& s = top();
    // Words every destination understands.
    switch (w.k) {
        case K::U:
            Unicode(param);
            return;
        case K::Uc:
            if (overflow_ == 0) s.uc = quint8(Clamp(param, 0, 16));
            return;
        case K::Bin:
            SkipBin(param);
            return;
        default:
            break;
    }
    const bool isDest = w.k == K::ListText || w.k == K::FontTbl || w.k == K::ColorTbl ||
                        w.k == K::ListTable || w.k == K::ListOverrideTable || w.k == K::List ||
                        w.k == K::ListLevel || w.k == K::LevelText || w.k == K::ListOverride ||
                        w.k == K::Pn || w.k == K::PnTxtA || w.k == K::PnTxtB || w.k == K::Pict ||
                        w.k == K::Upr || w.k == K::Ud;
    if (overflow_ > 0) {
        // Too deep to keep a state: text and breaks only.
        if (isDest || starred)
            SkipGroup();
        else if (s.dest == Dest::Text &&
                 (w.k == K::Par || w.k == K::Line || w.k == K::Tab || w.k == K::Char ||
                  w.k == K::Cell || w.k == K::NestCell || w.k == K::Row))
            TextWord(w, hasParam, param);
        return;
    }
    switch (s.dest) {
        case Dest::FontTable:
            switch (w.k) {
                case K::F:
                    if (curFontActive_ && !curFont_.name.trimmed().isEmpty()) CommitFont();
                    curFont_ = FontDef();
                    curFontIndex_ = param;
                    curFontActive_ = true;
                    return;
                case K::FCharset:
                    curFont_.charset = Clamp(param, 0, 255);
                    return;
                case K::Cpg:
                    curFont_.cpg = Clamp(param, 0, 65535);
                    return;
                default:
                    break;
            }
            break;
        case Dest::ColorTable:
            switch (w.k) {
                case K::Red:
                    red_ = Clamp(param, 0, 255);
                    colorGiven_ = true;
                    return;
                case K::Green:
                    green_ = Clamp(param, 0, 255);
                    colorGiven_ = true;
                    return;
                case K::Blue:
                    blue_ = Clamp(param, 0, 255);
                    colorGiven_ = true;
                    return;
                default:
                    break;
            }
            break;
        case Dest::ListTable:
            if (w.k == K::List) {
                s.dest = Dest::List;
                curList_ = ListDef();
                curListId_ = 0;
                return;
            }
            break;
        case Dest::List:
            if (w.k == K::ListId) {
                curListId_ = param;
                return;
            }
            if (w.k == K::ListLevel) {
                s.dest = Dest::ListLevel;
                curLevel_ = LevelDef();
                return;
            }
            break;
        case Dest::ListLevel:
            switch (w.k) {
                case K::LevelNfc:
                    curLevel_.nfc = Clamp(param, 0, 255);
                    return;
                case K::LevelStartAt:
                    curLevel_.start = Clamp(param, -32767, 32767);
                    return;
                case K::Li:
                    curLevel_.li = Clamp(param, -31680, 31680);
                    curLevel_.liSet = true;
                    return;
                case K::Fi:
                    curLevel_.fi = Clamp(param, -31680, 31680);
                    curLevel_.fiSet = true;
                    return;
                case K::LevelText:
                    s.dest = Dest::LevelText;
                    destText_.clear();
                    return;
                default:
                    break;
            }
            break;
        case Dest::OverrideTable:
            if (w.k == K::ListOverride) {
                s.dest = Dest::Override;
                ovListId_ = ovLs_ = 0;
                return;
            }
            break;
        case Dest::Override:
            if (w.k == K::ListId) ovListId_ = param;
            if (w.k == K::Ls) ovLs_ = param;
            break;
        case Dest::Pn:
            switch (w.k) {
                case K::PnLvl:
                    curPn_.kind = PnProps::Numbered;
                    curPn_.level = quint8(Clamp(param, 1, 9));
                    return;
                case K::PnLvlBody:
                    curPn_.kind = PnProps::Numbered;
                    return;
                case K::PnLvlBlt:
                    curPn_.kind = PnProps::Bullet;
                    return;
                case K::PnLvlCont:
                    curPn_.kind = PnProps::Continued;
                    return;
                case K::PnDec:
                    curPn_.style = QTextListFormat::ListDecimal;
                    return;
                case K::PnUcLtr:
                    curPn_.style = QTextListFormat::ListUpperAlpha;
                    return;
                case K::PnLcLtr:
                    curPn_.style = QTextListFormat::ListLowerAlpha;
                    return;
                case K::PnUcRm:
                    curPn_.style = QTextListFormat::ListUpperRoman;
                    return;
                case K::PnLcRm:
                    curPn_.style = QTextListFormat::ListLowerRoman;
                    return;
                case K::PnStart:
                    curPn_.start = Clamp(param, -32767, 32767);
                    return;
                case K::PnTxtA:
                case K::PnTxtB:
                    s.dest = w.k == K::PnTxtA ? Dest::PnAfter : Dest::PnBefore;
                    destText_.clear();
                    return;
                default:
                    break;
            }
            break;
        case Dest::Pict:
            switch (w.k) {
                case K::PngBlip:
                    blip_ = Blip::Png;
                    return;
                case K::JpegBlip:
                    blip_ = Blip::Jpeg;
                    return;
                case K::OtherBlip:
                    blip_ = Blip::Other;
                    pict_.clear();
                    return;
                case K::PicWGoal:
                    picWGoal_ = Clamp(param, 0, 1 << 20);
                    return;
                case K::PicHGoal:
                    picHGoal_ = Clamp(param, 0, 1 << 20);
                    return;
                case K::PicScaleX:
                    picScaleX_ = Clamp(param, 1, 10000);
                    return;
                case K::PicScaleY:
                    picScaleY_ = Clamp(param, 1, 10000);
                    return;
                default:
                    break;
            }
            break;
        case Dest::UprChild:
            if (w.k == K::Ud) {
                s.dest = Dest::Text;  // the Unicode version of what the group holds
                return;
            }
            SkipGroup();
            return;
        case Dest::Upr:
            return;
        case Dest::Text:
            if (TextWord(w, hasParam, param)) return;
            break;
        default:
            break;
    }
    if (isDest || starred) SkipGroup();
}

// Control words of document text; false for destinations not valid here.
bool Reader::TextWord(const Word& w, bool hasParam, int param) {
    State& s = top();
    CharProps& c = s.chr;
    ParaProps& pp = s.para;
    const quint8 on = !hasParam || param != 0;
    switch (w.k) {
        case K::Ansi:
            ansiCp_ = 1252;
            cpDirty_ = true;
            break;
        case K::Mac:
            ansiCp_ = 10000;
            cpDirty_ = true;
            break;
        case K::Pc:
            ansiCp_ = 437;
            cpDirty_ = true;
            break;
        case K::Pca:
            ansiCp_ = 850;
            cpDirty_ = true;
            break;
        case K::AnsiCpg:
            ansiCp_ = param > 0 ? Clamp(param, 1, 65535) : 1252;
            cpDirty_ = true;
            break;
        case K::Deff:
            deff_ = param;
            cpDirty_ = true;
            fmtDirty_ = true;
            runFormatValid_ = false;
            formatCache_.clear();
            break;
        case K::FontTbl:
            s.dest = Dest::FontTable;
            curFontActive_ = false;
            cpDirty_ = true;
            break;
        case K::ColorTbl:
            s.dest = Dest::ColorTable;
            colors_.clear();
            red_ = green_ = blue_ = 0;
            colorGiven_ = false;
            runFormatValid_ = false;
            formatCache_.clear();
            break;
        case K::ListTable:
            s.dest = Dest::ListTable;
            break;
        case K::ListOverrideTable:
            s.dest = Dest::OverrideTable;
            break;
        case K::Pn:
            s.dest = Dest::Pn;
            curPn_ = PnProps();
            break;
        case K::Pict:
            s.dest = Dest::Pict;
            blip_ = Blip::None;
            pict_.clear();
            nibble_ = -1;
            picWGoal_ = picHGoal_ = 0;
            picScaleX_ = picScaleY_ = 100;
            break;
        case K::Upr:
            s.dest = Dest::Upr;
            break;
        case K::ListText:
            s.dest = Dest::ListText;
            destText_.clear();
            break;
        case K::Par:
            Paragraph();
            break;
        case K::Line:
            AddChar(0x2028);
            break;
        case K::Tab:
            AddChar(u'\t');
            break;
        case K::Char:
            AddChar(w.ch);
            break;
        case K::Page:
        case K::Sect:
            // a break inside a paragraph ends it; after a paragraph end it adds nothing
            if (blockHasContent_) EndBlock();
            break;
        case K::Cell:
        case K::NestCell:
            Cell();
            break;
        case K::Row:
            Row();
            break;
        case K::NestRow:
            nestRowClosed_ = true;
            break;
        case K::NestTableProps:
            // a nested row's properties close it
            nestRowClosed_ = true;
            SkipGroup();
            break;
        case K::Plain:
            c = CharProps();
            fmtDirty_ = cpDirty_ = true;
            break;
        case K::F:
            c.font = param;
            fmtDirty_ = cpDirty_ = true;
            break;
        case K::B:
            c.bold = on;
            fmtDirty_ = true;
            break;
        case K::I:
            c.italic = on;
            fmtDirty_ = true;
            break;
        case K::Ul:
            c.underline = on ? QTextCharFormat::SingleUnderline : 0;
            fmtDirty_ = true;
            break;
        case K::UlDot:
            c.underline = on ? QTextCharFormat::DotLine : 0;
            fmtDirty_ = true;
            break;
        case K::UlDash:
            c.underline = on ? QTextCharFormat::DashUnderline : 0;
            fmtDirty_ = true;
            break;
        case K::UlDashDot:
            c.underline = on ? QTextCharFormat::DashDotLine : 0;
            fmtDirty_ = true;
            break;
        case K::UlDashDotDot:
            c.underline = on ? QTextCharFormat::DashDotDotLine : 0;
            fmtDirty_ = true;
            break;
        case K::UlWave:
            c.underline = on ? QTextCharFormat::WaveUnderline : 0;
            fmtDirty_ = true;
            break;
        case K::UlNone:
            c.underline = 0;
            fmtDirty_ = true;
            break;
        case K::Strike:
        case K::StrikeD:
            c.strike = on;
            fmtDirty_ = true;
            break;
        case K::Fs:
            c.halfPoints = hasParam ? Clamp(param, 0, 3276) : 24;
            fmtDirty_ = true;
            break;
        case K::Cf:
            c.fg = param;
            fmtDirty_ = true;
            break;
        case K::Cb:
            c.bg = param;
            fmtDirty_ = true;
            break;
        case K::Highlight:
            c.highlight = param;
            fmtDirty_ = true;
            break;
        case K::ChCbPat:
            c.shading = param;
            fmtDirty_ = true;
            break;
        case K::Super:
            c.vpos = 1;
            fmtDirty_ = true;
            break;
        case K::Sub:
            c.vpos = 2;
            fmtDirty_ = true;
            break;
        case K::NoSuperSub:
            c.vpos = 0;
            fmtDirty_ = true;
            break;
        case K::Caps:
            c.caps = on ? 1 : 0;
            fmtDirty_ = true;
            break;
        case K::SCaps:
            c.caps = on ? 2 : 0;
            fmtDirty_ = true;
            break;
        case K::V:
            c.hidden = on;
            fmtDirty_ = true;
            break;
        case K::Pard:
            pp = ParaProps();
            ++paraSerial_;
            break;
        case K::Ql:
            pp.align = 0;
            ++paraSerial_;
            break;
        case K::Qc:
            pp.align = Qt::AlignHCenter;
            ++paraSerial_;
            break;
        case K::Qr:
            pp.align = Qt::AlignRight;
            ++paraSerial_;
            break;
        case K::Qj:
            pp.align = Qt::AlignJustify;
            ++paraSerial_;
            break;
        case K::Li:
            pp.li = Clamp(param, -1 << 20, 1 << 20);
            pp.liSet = true;
            ++paraSerial_;
            break;
        case K::Ri:
            pp.ri = Clamp(param, -1 << 20, 1 << 20);
            ++paraSerial_;
            break;
        case K::Fi:
            pp.fi = Clamp(param, -1 << 20, 1 << 20);
            pp.fiSet = true;
            ++paraSerial_;
            break;
        case K::Sb:
            pp.sb = Clamp(param, -1 << 20, 1 << 20);
            ++paraSerial_;
            break;
        case K::Sa:
            pp.sa = Clamp(param, -1 << 20, 1 << 20);
            ++paraSerial_;
            break;
        case K::Sl:
            pp.sl = Clamp(param, -1 << 20, 1 << 20);
            ++paraSerial_;
            break;
        case K::SlMult:
            pp.slMult = on;
            ++paraSerial_;
            break;
        case K::InTbl:
            pp.inTable = true;
            ++paraSerial_;
            break;
        case K::Itap:
            pp.inTable = param > 0;
            ++paraSerial_;
            break;
        case K::Ls:
            pp.ls = param;
            ++paraSerial_;
            break;
        case K::Ilvl:
            pp.ilvl = Clamp(param, 0, 8);
            ++paraSerial_;
            break;
        default:
            return false;
    }
    return true;
}

}  // namespace

namespace rtf {

// The characters of a single-byte code page's 256 bytes, empty if it is not
// one character per byte.
const QString& SingleByteTable(int cp) {
    thread_local std::unordered_map<int, QString> tables;
    auto it = tables.find(cp);
    if (it == tables.end()) {
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i) all[i] = char(i);
        QString table = DecodeBytes(all, cp);
        if (table.size() != 256) table.clear();
        it = tables.emplace(cp, table).first;
    }
    return it->second;
}

}  // namespace rtf

bool InsertRtf(QTextCursor& cursor, const QByteArray& rtf, QString* error, RtfInsert mode) {
    if (error) error->clear();
    if (cursor.isNull() || !cursor.document()) {
        if (error) *error = QStringLiteral("no document to insert into");
        return false;
    }
    if (!LooksLikeRtf(rtf)) {
        if (error) *error = QStringLiteral("not RTF: the text does not start with {\\rtf");
        return false;
    }
    const char* begin = rtf.constData() + rtf.indexOf('{') + 1;
    const char* end = rtf.constData() + rtf.size();
    bool hasHigh = false;
    const bool utf8 = IsValidUtf8(reinterpret_cast<const uchar*>(begin),
                                  reinterpret_cast<const uchar*>(end), &hasHigh) &&
                      hasHigh;
    cursor.clearSelection();
    cursor.beginEditBlock();
    Reader reader(cursor, begin, end, utf8, mode == RtfInsert::KeepFinalBreak);
    reader.Run();
    cursor.endEditBlock();
    return true;
}

QString RtfPlainText(const QByteArray& value) {
    if (!LooksLikeRtf(value)) return decodeText(value, true);
    QTextDocument doc;
    QTextCursor c(&doc);
    InsertRtf(c, value);
    return doc.toPlainText();
}

bool InsertRtfText(QTextCursor& cursor, const QString& rtf, QString* error, RtfInsert mode) {
    return InsertRtf(cursor, rtf.toUtf8(), error, mode);
}

}  // namespace st::text
