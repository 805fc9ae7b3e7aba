#include "text/texthighlighter.h"

#include <algorithm>

#include "text/fold.h"
#include "text/richview.h"

namespace st::text {

namespace {

// Marking moves the selection over every hit, and the view follows it; the
// user's caret and scroll position come back when the caller asks.
class CaretKeeper {
  public:
    CaretKeeper(TRichView* view, bool active) : view_(active ? view : nullptr) {
        if (!view_) return;
        start_ = view_->selStart();
        length_ = view_->selLength();
        scroll_ = view_->scrollPosition();
    }
    ~CaretKeeper() {
        if (!view_) return;
        view_->setSelection(start_, length_);
        view_->setScrollPosition(scroll_);
    }
    CaretKeeper(const CaretKeeper&) = delete;
    CaretKeeper& operator=(const CaretKeeper&) = delete;

  private:
    TRichView* view_;
    int start_ = 0;
    int length_ = 0;
    int scroll_ = 0;
};

bool zoneTooLong(int pzs, int pze) {
    return pze - pzs > kMaxHiliZone;
}

void colourRange(TRichView* view, int start, int length, const QColor& colour) {
    view->setSelection(start, length);
    view->setSelColor(colour);
}

bool isCodeDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
bool isCodeSeparator(QChar c) {
    return c == u',' || c == u';';
}

// The pixels kept between a hit scrolled up from below and the bottom edge.
constexpr int kBottomGap = 20;

}  // namespace

QString GetSearchShab(const TRichView* view, int /*codePage*/) {
    return MakeSearchShab(view->selectedPlainText());
}

void MarkPatternInZone(const HiliCoo& tpl, dynar_HiliCoo& hits, int& count, const QString& pattern,
                       TRichView* view, int pzs, int pze, const QColor& colour) {
    if (zoneTooLong(pzs, pze)) return;
    view->setSelection(pzs, pze - pzs);
    const QString text = GetSearchShab(view, 0);
    for (int pos = 1;;) {
        const PatternMatch m = FindPattern(pattern, text, pos);
        if (!m.found) break;
        HiliCoo rec = tpl;
        rec.star = m.position;
        rec.len = m.length;
        rec.scrpos = pzs + m.position - 1;
        AppendHiliCoo(hits, count, rec);
        colourRange(view, rec.scrpos, rec.len, colour);
        pos = m.position + (m.length < 2 ? 1 : m.length);
    }
}

void PaintZoneMarks(const dynar_HiliCoo& marks, int count, TRichView* view, bool restoreCaret,
                    ps_list zone, const QColor& colour, int zoneEnd, int zoneStart) {
    const CaretKeeper keep(view, restoreCaret);
    count = std::min<int>(count, int(marks.size()));
    for (int k = 0; k < count; ++k) {
        const HiliCoo& mk = marks[k];
        if (mk.tpp != zone || mk.star < 1 || mk.len < 1) continue;
        const int p = zoneStart + mk.star - 1;
        if (p + mk.len <= zoneEnd) colourRange(view, p, mk.len, colour);
    }
}

cTextHighLighter::cTextHighLighter(TRichView* rdDat) : redText(rdDat) {}

void cTextHighLighter::ClearData() {
    founkvo = 0;
}

void cTextHighLighter::AddNewMarks(const HiliCoo& tpl, TRichView* ctr, int pzs, int pze,
                                   const QColor& hico, bool sapo, int /*cPage*/) {
    if (zoneTooLong(pzs, pze) || !shabs) return;
    const CaretKeeper keep(ctr, sapo);
    for (const QString& pattern : *shabs) {
        if (IsCodePrefixPattern(pattern)) continue;
        int count = founkvo;
        MarkPatternInZone(tpl, founHil, count, pattern, ctr, pzs, pze, hico);
        founkvo = count;
    }
}

void cTextHighLighter::AddNewZEDMarks(const HiliCoo& tpl, TRichView* ctr, int pzs, int pze,
                                      const QColor& hico, bool sapo) {
    if (zoneTooLong(pzs, pze) || !shabs) return;
    const CaretKeeper keep(ctr, sapo);
    for (const QString& pattern : *shabs) {
        if (!IsCodePrefixPattern(pattern)) continue;
        const QString code = pattern.mid(kCodePrefixMark.size());
        ctr->setSelection(pzs, pze - pzs);
        const QString t = ctr->selectedPlainText();
        const qsizetype n = t.size();
        for (qsizetype k = 0; k < n;) {
            while (k < n && t[k].isSpace()) ++k;
            const qsizetype m = k;  // the mark covers any lead-in before the digits
            // A separator before any digit closes an empty token, so a mark
            // never reaches back over a separator.
            while (k < n && !isCodeDigit(t[k]) && !isCodeSeparator(t[k])) ++k;
            if (k >= n) break;
            if (isCodeSeparator(t[k])) {
                ++k;
                continue;
            }
            qsizetype sep = k;
            while (sep < n && !isCodeSeparator(t[sep])) ++sep;
            qsizetype end = sep;
            while (end > k && t[end - 1].isSpace()) --end;
            const QStringView token = QStringView(t).sliced(k, end - k);
            if (!token.isEmpty() && token != code && code.startsWith(token)) {
                HiliCoo rec = tpl;
                rec.star = int(m + 1);
                rec.len = int(sep - m);
                rec.scrpos = pzs + int(m);
                int count = founkvo;
                AppendHiliCoo(founHil, count, rec);
                founkvo = count;
                colourRange(ctr, rec.scrpos, rec.len, hico);
            }
            k = sep + 1;
        }
    }
}

void cTextHighLighter::SortFoundList() {
    // Kept as a plain exchange sort: hits at one position may change places,
    // which nothing relies on.
    for (int i = 0; i + 1 < founkvo; ++i)
        for (int j = i + 1; j < founkvo; ++j)
            if (founHil[i].scrpos > founHil[j].scrpos) std::swap(founHil[i], founHil[j]);
}

bool cTextHighLighter::canNavigate() const {
    return founkvo > 0 && redText && redText->isVisible();
}

void cTextHighLighter::MarkFirst() {
    if (!canNavigate()) return;
    fiw_selected = 0;
    ShowSelected();
}

void cTextHighLighter::MarkLast() {
    if (!canNavigate()) return;
    fiw_selected = founkvo - 1;
    ShowSelected();
}

void cTextHighLighter::MarkNext() {
    if (!canNavigate()) return;
    const int e = redText->selStart() + redText->selLength();
    if (founHil[0].scrpos >= e) {
        fiw_selected = 0;
    } else {
        int low = 0;
        int high = founkvo - 1;
        while (high - low > 1) {
            const int mid = (low + high) / 2;
            if (founHil[mid].scrpos < e)
                low = mid;
            else
                high = mid;
        }
        fiw_selected = high;
    }
    ShowSelected();
}

void cTextHighLighter::MarkPrevious() {
    if (!canNavigate()) return;
    const int s = redText->selStart();
    const HiliCoo& last = founHil[founkvo - 1];
    if (s >= last.scrpos + last.len) {
        fiw_selected = founkvo - 1;
    } else {
        int low = 0;
        int high = founkvo - 1;
        while (high - low > 1) {
            const int mid = (low + high) / 2;
            if (s < founHil[mid].scrpos + founHil[mid].len)
                high = mid;
            else
                low = mid;
        }
        fiw_selected = low;
    }
    ShowSelected();
}

void cTextHighLighter::ShowSelected() {
    const HiliCoo& hit = founHil[fiw_selected];
    redText->setFocus();
    // The view would scroll the selection into sight on its own; the rule
    // below decides instead.
    const int before = redText->scrollPosition();
    redText->setSelection(hit.scrpos, hit.len);
    redText->setScrollPosition(before);
    const int y = redText->charPosition(hit.scrpos).y();
    const int h = redText->visibleHeight();
    if (y < 0)
        redText->setScrollPosition(before + y);
    else if (y + kBottomGap > h)
        redText->setScrollPosition(std::max(0, before + y + kBottomGap - h));
}

}  // namespace st::text
