#pragma once
#include <QColor>
#include <QTextEdit>
#include <functional>

class QAction;
class QMenu;
class QPainter;
class QPrinter;

namespace st::text {

// The word-break protocol of rich-edit text boxes: for a text, a position
// and an action code, where a word starts or ends, or whether a character
// is a delimiter.
enum WordBreakCode {
    wbLeft = 0,
    wbRight = 1,
    wbIsDelimiter = 2,
    wbClassify = 3,
    wbMoveWordLeft = 4,
    wbMoveWordRight = 5,
    wbLeftBreak = 6,
    wbRightBreak = 7,
};
constexpr int wbWhiteSpace = 16;  // classification answer for a delimiter
using WordBreakRule = std::function<int(const QString& text, int position, int code)>;
// The view's own rule: blanks, tabs and line ends are delimiters.
int DefaultWordBreak(const QString& text, int position, int code);

// Paragraph attributes of a paragraph, lengths in twips.
struct ParaAttributes {
    Qt::Alignment alignment = Qt::AlignLeft;
    int firstIndent = 0;  // relative to the left indent
    int leftIndent = 0;
    int rightIndent = 0;
    bool numbered = false;  // a bulleted paragraph
    int spaceBefore = 0;
    bool operator==(const ParaAttributes&) const = default;
};

// The result of rendering a character range into a page rectangle.
struct RenderResult {
    int bottom = 0;        // twips: the bottom of the rendered text
    int firstNotFit = -1;  // the first character that did not fit; the range end if all did
};

// The rich-text view every text of the program lives in. Positions count
// from 0 and a paragraph end counts as one character, alike in the plain
// text, the selection and every stored mark.
class TRichView : public QTextEdit {
    Q_OBJECT
  public:
    explicit TRichView(QWidget* parent = nullptr);

    // Selection; the caret is a selection of length 0.
    int selStart() const;
    int selLength() const;
    void setSelection(int start, int length);
    int textLength() const;

    QString plainText() const;  // paragraphs separated by "\n"
    QString selectedPlainText() const;
    void replaceSelection(const QString& plain);

    void setSelColor(const QColor& c);
    QColor selColor() const;
    void setSelCharset(int charset);
    int selCharset() const;  // -1 when none is set

    // Reads an RTF document in the chunks the view asks for (the source
    // returns the bytes written, 0 at the end, -1 on failure) and puts it in
    // place of the selection. False when reading failed.
    using ChunkSource = std::function<qint64(char* buffer, qint64 max)>;
    bool insertRtfStream(const ChunkSource& source, qint64 chunkSize = 4096);
    bool insertRtf(const QByteArray& rtf);

    // Whole content: RTF, or plain text when the bytes are not RTF.
    void loadContent(const QByteArray& bytes);
    QByteArray saveRtf() const;
    bool saveRtfToFile(const QString& path) const;

    // Paragraph attributes of the selected paragraphs (of the first one for
    // reading); the font size (points) and height (twips) of the selection.
    ParaAttributes paraAttributes() const;
    void setParaAttributes(const ParaAttributes& a);
    void setSelFontSize(qreal points);
    int selFontHeight() const;

    // Geometry: a character's pixel position relative to the visible area,
    // the visible height, the vertical scroll position and range.
    QPoint charPosition(int position) const;
    int visibleHeight() const;
    int scrollPosition() const;
    void setScrollPosition(int y);
    int scrollRange() const;

    // A replaceable word-break rule, used for double-click selection,
    // word-wise caret moves and line wrapping.
    void setWordBreakRule(WordBreakRule rule);
    void restoreWordBreakRule();
    bool hasOwnWordBreakRule() const { return !custom_; }
    // The word the rule finds around a position: [start, end).
    std::pair<int, int> wordAt(int position) const;
    int moveWord(int position, bool right) const;

    // Prints the content as one job named title, pages in the view's own
    // formatting and without added page numbers.
    void printContent(QPrinter* printer, const QString& title) const;
    // Renders [from, to) into a page rectangle given in twips, drawing when a
    // painter is given and measuring otherwise.
    RenderResult renderRange(int from, int to, const QRect& twips, QPainter* painter) const;

  protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void applyWrapRule();
    QTextCursor rangeCursor(int from, int to) const;

    WordBreakRule custom_;
    bool wrapping_ = false;
};

// The copy menu of a read-only view: "Copy" (enabled only with a
// selection) and "Select all", popped up on the view's context request.
struct CopyMenu {
    QMenu* menu;
    QAction* copy;
    QAction* selectAll;
};
CopyMenu MakeCopyMenu(TRichView* view, QWidget* owner);

}  // namespace st::text
