#include "text/richview.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTextList>
#include <memory>

#include "text/codepage.h"
#include "text/rtfreader.h"
#include "text/rtfwriter.h"

namespace st::text {

namespace {

// Block lengths are kept in the document's pixels at 96 dpi: 15 twips each.
constexpr double kTwipsPerPixel = 15.0;
int toTwips(qreal px) {
    return qRound(px * kTwipsPerPixel);
}
qreal toPixels(int twips) {
    return twips / kTwipsPerPixel;
}

// Marks blanks the word-break rule keeps together, shown as no-break spaces
// so that line wrapping honours the rule.
constexpr int kKeptBlank = QTextFormat::UserProperty + 200;

bool isBlankDelimiter(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator ||
           c == QChar::LineSeparator;
}

QString viewText(const QString& s) {
    QString t = s;
    for (QChar& c : t) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
        else if (c == QChar::Nbsp)
            c = u' ';
    }
    return t;
}

}  // namespace

int DefaultWordBreak(const QString& text, int position, int code) {
    const int n = int(text.size());
    if (position < 0 || position >= n) return 0;
    auto delim = [&](int i) { return isBlankDelimiter(text[i]); };
    switch (code) {
        case wbIsDelimiter:
        case wbClassify:
            return delim(position) ? wbWhiteSpace : 0;
        case wbLeft:
        case wbMoveWordLeft:
        case wbLeftBreak: {
            for (int i = position - (code == wbLeftBreak ? 1 : 2); i >= 0; --i)
                if (delim(i)) return code == wbLeftBreak ? i : i + 1;
            return -1;
        }
        default: {
            for (int i = position + (code == wbRightBreak ? 1 : 0); i < n; ++i)
                if (delim(i)) return code == wbRightBreak ? i : i + 1;
            return n;
        }
    }
}

TRichView::TRichView(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(false);  // pasted text comes as plain text
    setLineWrapMode(QTextEdit::WidgetWidth);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int, int added) {
        if (custom_ && added > 0 && !wrapping_) applyWrapRule();
    });
}

int TRichView::selStart() const {
    return textCursor().selectionStart();
}

int TRichView::selLength() const {
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

int TRichView::textLength() const {
    return document()->characterCount() - 1;
}

void TRichView::setSelection(int start, int length) {
    const int n = textLength();
    start = std::clamp(start, 0, n);
    const int end = std::clamp(start + std::max(length, 0), 0, n);
    QTextCursor c(document());
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(c);
}

QString TRichView::plainText() const {
    return viewText(document()->toPlainText());
}

QString TRichView::selectedPlainText() const {
    return viewText(textCursor().selectedText());
}

void TRichView::replaceSelection(const QString& plain) {
    QTextCursor c = textCursor();
    c.insertText(plain);
    setTextCursor(c);
}

void TRichView::setSelColor(const QColor& color) {
    QTextCharFormat f;
    f.setForeground(color);
    QTextCursor c = textCursor();
    c.mergeCharFormat(f);
}

QTextCursor TRichView::rangeCursor(int from, int to) const {
    QTextCursor c(document());
    const int n = textLength();
    c.setPosition(std::clamp(from, 0, n));
    c.setPosition(std::clamp(to < 0 ? n : to, 0, n), QTextCursor::KeepAnchor);
    return c;
}

static QTextCharFormat formatAtSelection(const QTextEdit* view) {
    // The format of the first selected character (of the one before the caret).
    const QTextCursor sel = view->textCursor();
    QTextCursor c(view->document());
    c.setPosition(sel.hasSelection() ? sel.selectionStart() + 1 : sel.position());
    return c.charFormat();
}

QColor TRichView::selColor() const {
    return formatAtSelection(this).foreground().color();
}

void TRichView::setSelCharset(int charset) {
    QTextCharFormat f;
    SetCharset(f, charset);
    QTextCursor c = textCursor();
    c.mergeCharFormat(f);
}

int TRichView::selCharset() const {
    return CharsetOf(formatAtSelection(this));
}

bool TRichView::insertRtfStream(const ChunkSource& source, qint64 chunkSize) {
    QByteArray all;
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    while (true) {
        const qint64 got = source(chunk.data(), chunkSize);
        if (got < 0) return false;
        if (got == 0) break;
        all.append(chunk.constData(), got);
    }
    return insertRtf(all);
}

bool TRichView::insertRtf(const QByteArray& rtf) {
    if (rtf.isEmpty()) return true;  // an empty stream reads fine and adds nothing
    QTextCursor c = textCursor();
    c.beginEditBlock();
    c.removeSelectedText();
    const int start = c.position();
    // Inserted at the caret, a value keeps the paragraph end it closes with.
    const bool ok = InsertRtf(c, rtf, nullptr, RtfInsert::KeepFinalBreak);
    if (!ok) {
        // Nothing of a failed read stays: the caller falls back to plain text.
        c.setPosition(start, QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
    c.endEditBlock();
    setTextCursor(c);
    return ok;
}

void TRichView::loadContent(const QByteArray& bytes) {
    clear();
    QTextCursor c(document());
    if (LooksLikeRtf(bytes)) {
        if (!InsertRtf(c, bytes)) {
            clear();
            c = QTextCursor(document());
            c.insertText(decodeText(bytes, true));
        }
    } else {
        c.insertText(decodeText(bytes, true));
    }
    setSelection(0, 0);
}

QByteArray TRichView::saveRtf() const {
    if (!custom_) return WriteRtf(*document());
    // Blanks shown as no-break spaces for the rule are blanks in the content.
    std::unique_ptr<QTextDocument> copy(document()->clone());
    QTextCursor c(copy.get());
    const QString text = copy->toRawText();
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != QChar::Nbsp) continue;
        c.setPosition(i + 1);
        if (!c.charFormat().boolProperty(kKeptBlank)) continue;
        c.setPosition(i);
        c.setPosition(i + 1, QTextCursor::KeepAnchor);
        QTextCharFormat f = c.charFormat();
        f.clearProperty(kKeptBlank);
        c.insertText(QStringLiteral(" "), f);
    }
    return WriteRtf(*copy);
}

bool TRichView::saveRtfToFile(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray rtf = saveRtf();
    return f.write(rtf) == rtf.size() && f.flush();
}

ParaAttributes TRichView::paraAttributes() const {
    const QTextBlock b = document()->findBlock(selStart());
    const QTextBlockFormat f = b.blockFormat();
    ParaAttributes a;
    a.alignment = f.alignment() & Qt::AlignHorizontal_Mask;
    if (a.alignment == Qt::AlignLeading) a.alignment = Qt::AlignLeft;
    a.firstIndent = toTwips(f.textIndent());
    a.leftIndent = toTwips(f.leftMargin());
    a.rightIndent = toTwips(f.rightMargin());
    a.spaceBefore = toTwips(f.topMargin());
    a.numbered = b.textList() != nullptr;
    return a;
}

void TRichView::setParaAttributes(const ParaAttributes& a) {
    QTextCursor c = textCursor();
    c.beginEditBlock();
    QTextBlockFormat f;
    f.setAlignment(a.alignment);
    f.setTextIndent(toPixels(a.firstIndent));
    f.setLeftMargin(toPixels(a.leftIndent));
    f.setRightMargin(toPixels(a.rightIndent));
    f.setTopMargin(toPixels(a.spaceBefore));
    c.mergeBlockFormat(f);
    QTextList* list = c.currentList();
    if (a.numbered && !list) {
        QTextListFormat lf;
        lf.setStyle(QTextListFormat::ListDisc);
        c.createList(lf);
    } else if (!a.numbered && list) {
        for (QTextBlock b = document()->findBlock(c.selectionStart());
             b.isValid() && b.position() <= c.selectionEnd(); b = b.next())
            if (b.textList()) b.textList()->remove(b);
        QTextBlockFormat indent;
        indent.setIndent(0);
        c.mergeBlockFormat(indent);
    }
    c.endEditBlock();
}

void TRichView::setSelFontSize(qreal points) {
    QTextCharFormat f;
    f.setFontPointSize(points);
    QTextCursor c = textCursor();
    c.mergeCharFormat(f);
}

int TRichView::selFontHeight() const {
    const QTextCharFormat f = formatAtSelection(this);
    const qreal pt = f.hasProperty(QTextFormat::FontPointSize)
                         ? f.fontPointSize()
                         : document()->defaultFont().pointSizeF();
    return qRound(pt * 20);
}

QPoint TRichView::charPosition(int position) const {
    QTextCursor c(document());
    c.setPosition(std::clamp(position, 0, textLength()));
    return cursorRect(c).topLeft();
}

int TRichView::visibleHeight() const {
    return viewport()->height();
}

int TRichView::scrollPosition() const {
    return verticalScrollBar()->value();
}

void TRichView::setScrollPosition(int y) {
    verticalScrollBar()->setValue(y);
}

int TRichView::scrollRange() const {
    return verticalScrollBar()->maximum();
}

void TRichView::setWordBreakRule(WordBreakRule rule) {
    custom_ = std::move(rule);
    applyWrapRule();
}

void TRichView::restoreWordBreakRule() {
    custom_ = nullptr;
    applyWrapRule();
}

std::pair<int, int> TRichView::wordAt(int position) const {
    const QString text = plainText();
    const auto rule = custom_ ? custom_ : WordBreakRule(DefaultWordBreak);
    const int n = int(text.size());
    if (position < 0 || position >= n) return {position, position};
    if (rule(text, position, wbIsDelimiter)) return {position, position + 1};
    const int start = std::max(0, rule(text, position + 1, wbLeft));
    int end = rule(text, position, wbRightBreak);
    if (end <= position) end = n;
    return {std::min(start, position), end};
}

int TRichView::moveWord(int position, bool right) const {
    const QString text = plainText();
    const auto rule = custom_ ? custom_ : WordBreakRule(DefaultWordBreak);
    const int n = int(text.size());
    if (right) return position >= n ? n : std::clamp(rule(text, position, wbMoveWordRight), 0, n);
    if (position <= 0) return 0;
    return std::clamp(rule(text, std::min(position, n - 1), wbMoveWordLeft), 0, n);
}

void TRichView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QTextEdit::mouseDoubleClickEvent(e);
    const auto [start, end] = wordAt(cursorForPosition(e->position().toPoint()).position());
    setSelection(start, end - start);
    e->accept();
}

void TRichView::keyPressEvent(QKeyEvent* e) {
    const bool word = e->modifiers() & Qt::ControlModifier;
    if (word && (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right)) {
        QTextCursor c = textCursor();
        const int to = moveWord(c.position(), e->key() == Qt::Key_Right);
        c.setPosition(to, (e->modifiers() & Qt::ShiftModifier) ? QTextCursor::KeepAnchor
                                                               : QTextCursor::MoveAnchor);
        setTextCursor(c);
        e->accept();
        return;
    }
    QTextEdit::keyPressEvent(e);
}

void TRichView::applyWrapRule() {
    if (wrapping_) return;
    wrapping_ = true;
    const QString raw = document()->toRawText();
    const QString text = viewText(raw);
    QTextCursor c(document());
    c.beginEditBlock();
    for (int i = 0; i < text.size(); ++i) {
        const QChar now = raw[i];
        if (now != u' ' && now != QChar::Nbsp) continue;
        c.setPosition(i + 1);
        QTextCharFormat f = c.charFormat();
        const bool marked = f.boolProperty(kKeptBlank);
        const bool keep = custom_ && now == u' ' && custom_(text, i, wbIsDelimiter) == 0;
        const bool release =
            marked && now == QChar::Nbsp && (!custom_ || custom_(text, i, wbIsDelimiter));
        if (!keep && !release) continue;
        if (keep)
            f.setProperty(kKeptBlank, true);
        else
            f.clearProperty(kKeptBlank);
        c.setPosition(i);
        c.setPosition(i + 1, QTextCursor::KeepAnchor);
        c.insertText(keep ? QString(QChar::Nbsp) : QStringLiteral(" "), f);
    }
    c.endEditBlock();
    wrapping_ = false;
}

void TRichView::printContent(QPrinter* printer, const QString& title) const {
    printer->setDocName(title);
    std::unique_ptr<QTextDocument> copy(document()->clone());
    copy->documentLayout()->setPaintDevice(printer);
    // A document with a page size prints as it is, without page numbers.
    copy->setPageSize(printer->pageRect(QPrinter::DevicePixel).size());
    copy->print(printer);
}

RenderResult TRichView::renderRange(int from, int to, const QRect& twips, QPainter* painter) const {
    const int n = textLength();
    from = std::clamp(from, 0, n);
    to = std::clamp(to < 0 ? n : to, from, n);
    QTextDocument doc;
    doc.setDefaultFont(document()->defaultFont());
    doc.setDocumentMargin(0);
    QTextCursor(&doc).insertFragment(rangeCursor(from, to).selection());
    QPaintDevice* device = painter ? painter->device() : nullptr;
    const qreal dpiX = device ? device->logicalDpiX() : 96.0;
    const qreal dpiY = device ? device->logicalDpiY() : 96.0;
    if (device) doc.documentLayout()->setPaintDevice(device);
    doc.setTextWidth(twips.width() * dpiX / 1440.0);
    const qreal heightPx = twips.height() * dpiY / 1440.0;
    doc.size();  // lays the whole range out

    RenderResult r;
    r.firstNotFit = to;
    qreal fitBottom = 0;
    bool stop = false;
    for (QTextBlock b = doc.begin(); b.isValid() && !stop; b = b.next()) {
        QTextLayout* layout = b.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal bottom = layout->position().y() + line.y() + line.height();
            if (bottom > heightPx) {
                r.firstNotFit = from + b.position() + line.textStart();
                stop = true;
                break;
            }
            fitBottom = bottom;
        }
    }
    r.bottom = twips.top() + qRound(fitBottom * 1440.0 / dpiY);
    if (painter) {
        painter->save();
        painter->translate(twips.left() * dpiX / 1440.0, twips.top() * dpiY / 1440.0);
        doc.drawContents(painter, QRectF(0, 0, doc.textWidth(), fitBottom));
        painter->restore();
    }
    return r;
}

CopyMenu MakeCopyMenu(TRichView* view, QWidget* owner) {
    CopyMenu m;
    m.menu = new QMenu(owner);
    m.copy = m.menu->addAction(QStringLiteral("Copy"), view, &QTextEdit::copy);
    m.selectAll = m.menu->addAction(QStringLiteral("Select all"), view, &QTextEdit::selectAll);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(view, &QWidget::customContextMenuRequested, owner, [view, m](const QPoint& p) {
        m.copy->setEnabled(view->selLength() > 0);
        m.menu->popup(view->viewport()->mapToGlobal(p));
    });
    return m;
}

}  // namespace st::text
