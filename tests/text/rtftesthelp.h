#pragma once
// Helpers shared by the RTF reader and writer tests: documents as text and
// formats as short descriptions, so a table row states what must come out.
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <memory>

#include "text/rtfreader.h"

namespace rtftest {

// The blocks' own text joined by "\n": unlike toPlainText it keeps line
// separators and no-break spaces as they are.
inline QString Text(const QTextDocument& doc) {
    QStringList blocks;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) blocks << b.text();
    return blocks.join(u'\n');
}

inline std::unique_ptr<QTextDocument> Read(const QByteArray& rtf, bool* ok = nullptr) {
    auto doc = std::make_unique<QTextDocument>();
    QTextCursor cursor(doc.get());
    const bool read = st::text::InsertRtf(cursor, rtf);
    if (ok) *ok = read;
    return doc;
}

inline QString Num(qreal v) {
    return QString::number(v, 'g', 6);
}

inline QString DescribeChar(const QTextCharFormat& f) {
    QStringList d;
    if (f.fontWeight() > QFont::Normal) d << "b";
    if (f.fontItalic()) d << "i";
    if (f.underlineStyle() != QTextCharFormat::NoUnderline)
        d << "u" + QString::number(f.underlineStyle());
    if (f.fontStrikeOut()) d << "s";
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) d << "sup";
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) d << "sub";
    if (f.fontCapitalization() == QFont::AllUppercase) d << "caps";
    if (f.fontCapitalization() == QFont::SmallCaps) d << "scaps";
    if (f.hasProperty(QTextFormat::FontPointSize)) d << Num(f.fontPointSize()) + "pt";
    const QStringList families = f.property(QTextFormat::FontFamilies).toStringList();
    if (!families.isEmpty()) d << "f=" + families.join(u',');
    if (st::text::CharsetOf(f) >= 0) d << "cs=" + QString::number(st::text::CharsetOf(f));
    if (f.foreground().style() != Qt::NoBrush) d << "fg=" + f.foreground().color().name();
    if (f.background().style() != Qt::NoBrush) d << "bg=" + f.background().color().name();
    return d.join(u' ');
}

// Paragraph format in Qt's own units (pixels), list membership included.
inline QString DescribeBlock(const QTextBlock& b) {
    const QTextBlockFormat f = b.blockFormat();
    QStringList d;
    if (f.alignment() & Qt::AlignHCenter) d << "center";
    if (f.alignment() & Qt::AlignRight) d << "right";
    if (f.alignment() & Qt::AlignJustify) d << "justify";
    if (f.leftMargin() != 0) d << "lm=" + Num(f.leftMargin());
    if (f.rightMargin() != 0) d << "rm=" + Num(f.rightMargin());
    if (f.textIndent() != 0) d << "ti=" + Num(f.textIndent());
    if (f.topMargin() != 0) d << "tm=" + Num(f.topMargin());
    if (f.bottomMargin() != 0) d << "bm=" + Num(f.bottomMargin());
    if (f.lineHeightType() != QTextBlockFormat::SingleHeight)
        d << "lh" + QString::number(f.lineHeightType()) + "=" + Num(f.lineHeight());
    if (const QTextList* list = b.textList()) {
        const QTextListFormat lf = list->format();
        d << "list" + QString::number(-lf.style()) + " ind=" + QString::number(lf.indent());
        if (st::text::ListStartOf(lf) != 1)
            d << "start=" + QString::number(st::text::ListStartOf(lf));
        if (lf.style() <= QTextListFormat::ListDecimal)
            d << "'" + lf.numberPrefix() + "#" + lf.numberSuffix() + "'";
    }
    return d.join(u' ');
}

// Every block described, joined by " | ".
inline QString DescribeBlocks(const QTextDocument& doc) {
    QStringList d;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) d << DescribeBlock(b);
    return d.join(u" | ");
}

// The format of the first character of the first occurrence of probe.
inline QTextCharFormat FormatOf(const QTextDocument& doc, const QString& probe) {
    const QTextCursor found = doc.find(probe, 0, QTextDocument::FindCaseSensitively);
    if (found.isNull()) return QTextCharFormat();
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

}  // namespace rtftest
