#include "text/richfields.h"

#include <QTextDocument>

#include "db/query.h"
#include "db/tablecursor.h"
#include "text/codepage.h"
#include "text/richcharset.h"
#include "text/richview.h"

namespace st::text {

qint64 RichStreamReader::read(char* buffer, qint64 max) {
    const qint64 left = value_.size() - pos_;
    qint64 n = std::min(max, left);
    if (n <= 0) return 0;
    const bool shortOrLast = n < max || n == left;
    if (shortOrLast && value_[pos_ + n - 1] == '\0') --n;
    memcpy(buffer, value_.constData() + pos_, size_t(n));
    pos_ += n;
    if (n == 0) pos_ = value_.size();  // the NUL alone: the end
    return n;
}

QByteArray FieldBytes(const QVariant& value) {
    if (value.typeId() == QMetaType::QByteArray) return value.toByteArray();
    return value.toString().toUtf8();
}

void LoadRichFromField(TRichView* view, const QVariant& value) {
    QByteArray bytes = value.isNull() ? QByteArray() : FieldBytes(value);
    if (!bytes.isEmpty() && bytes.back() == '\0') bytes.chop(1);
    view->loadContent(bytes);
    if (CharsetOverride() >= 0) {
        view->selectAll();
        view->setSelCharset(CharsetOverride());
        view->setSelection(0, 0);
    }
}

QVariant RichFieldValue(const TRichView* view) {
    if (view->plainText().isEmpty()) return QVariant();
    return view->saveRtf();
}

void SaveRichToField(const TRichView* view, st::db::TableCursor& table, const QString& column) {
    table.setField(column, RichFieldValue(view));
}

QString GetRichPlainText(const TRichView* view) {
    return view->plainText();
}

bool InsertRtfAtCaret(TRichView* view, const QByteArray& rtf, const QColor& color) {
    const int s = view->selStart();
    RichStreamReader reader(rtf);
    const bool ok = view->insertRtfStream(
        [&reader](char* buffer, qint64 max) { return reader.read(buffer, max); });
    if (!ok) {
        QByteArray text = rtf;
        if (!text.isEmpty() && text.back() == '\0') text.chop(1);
        view->replaceSelection(decodeText(text, true) + u'\r');
    }
    int e = view->selStart();
    if (e <= s) {
        view->setSelection(s, 0);
        return false;
    }
    view->setSelection(s, e - s);
    view->setSelColor(color);
    if (CharsetOverride() >= 0) view->setSelCharset(CharsetOverride());
    // Two paragraph ends before e keep one (read where they stand, not
    // through the whole text: composition inserts hundreds of values).
    const QTextDocument* doc = view->document();
    if (e - s >= 2 && doc->characterAt(e - 1) == QChar::ParagraphSeparator &&
        doc->characterAt(e - 2) == QChar::ParagraphSeparator) {
        view->setSelection(e - 1, 1);
        view->replaceSelection(QString());
        --e;
    }
    view->setSelection(e, 0);
    return e > s;
}

namespace {
template <class Data>
bool insertField(TRichView* view, const Data& data, const QString& column, const QColor& color) {
    const QVariant v = data.field(column);  // throws for a missing column
    if (v.isNull()) return false;
    return InsertRtfAtCaret(view, FieldBytes(v), color);
}
}  // namespace

bool InsertFieldRtf(TRichView* view, const st::db::Query& data, const QString& column,
                    const QColor& color) {
    return insertField(view, data, column, color);
}

bool InsertFieldRtf(TRichView* view, const st::db::TableCursor& data, const QString& column,
                    const QColor& color) {
    return insertField(view, data, column, color);
}

void EnsureBreakBeforeCaret(TRichView* view) {
    const int s = view->selStart();
    if (s > 0 && view->document()->characterAt(s - 1) != QChar::ParagraphSeparator) {
        view->setSelection(s, 0);
        view->replaceSelection(QStringLiteral("\r"));
        view->setSelection(s + 1, 0);
    } else {
        view->setSelection(s, 0);
    }
}

}  // namespace st::text
