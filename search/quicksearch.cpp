#include "search/quicksearch.h"

#include "db/query.h"
#include "text/fold.h"

namespace st::search {

const QString kQuickSearchSQL = QStringLiteral(
    "select Entry_id, List_Title, Parent_id, Entry_type, Revision_id, Picture_key\n"
    " from List_entries\n"
    "where (Revision_id in (Revision_id)) and\n"
    " ((List_Title Like :sti1) or (Plain_Title Like :sti2) or \n"
    "  (Plain_Text Like :sti3) or (Plain_After Like :sti4) or \n"
    "  (List_Title Like :oti1) or (Plain_Title Like :oti2) or \n"
    "  (Plain_Text Like :oti3) or (Plain_After Like :oti4)) \n"
    "order by Sort_list,Sort_Num");

QuickSearchForms MakeQuickSearchForms(const QString& text) {
    QString t = text;
    if (!t.startsWith(u'%')) t.prepend(u'%');
    if (!t.endsWith(u'%')) t.append(u'%');
    QuickSearchForms f;
    f.sti = st::text::MakePlaneString(t);
    f.oti = st::text::FoldDiacritics(f.sti);
    return f;
}

void BindQuickSearch(st::db::Query& q, const QuickSearchForms& forms) {
    for (const char* name : {"sti1", "sti2", "sti3", "sti4"}) q.setParam(name, forms.sti);
    // When both forms are equal the oti tests would repeat the sti tests; a
    // NULL pattern answers NULL at once and leaves the result the same.
    const QVariant oti = forms.oti == forms.sti ? QVariant() : QVariant(forms.oti);
    for (const char* name : {"oti1", "oti2", "oti3", "oti4"}) q.setParam(name, oti);
}

void FillHiStarWords(QStringList& shabs, const QString& ss, bool clr) {
    const QString s = st::text::MakeSearchShab(ss);
    if (clr) shabs.clear();
    for (const QString& run : s.split(u'%', Qt::SkipEmptyParts)) shabs.append(run);
}

QString MakeNodeNumber(const QStringList& captionsUpward) {
    QString text;
    for (const QString& caption : captionsUpward) {
        QString c = caption.trimmed();
        const qsizetype blank = c.indexOf(u' ');
        qsizetype k;
        if (blank >= 0) {
            k = blank + 1;  // counted from 1
            c = c.left(blank);
            if (k > 1 && c.endsWith(u')'))
                c.back() = u'.';
            else if (c.endsWith(u':'))
                c.chop(1);
        } else {
            k = c.size();
        }
        if (!c.isEmpty()) {
            if (!text.isEmpty() && !c.endsWith(u'.'))
                text = c + u'.' + text;
            else
                text = c + text;
        }
        if (k > 3) break;
    }
    return text;
}

int SearchHistory::push(st::db::Query* q, bool isAdvanced, const QString& boxText, bool boxDisabled,
                        const QStringList& patterns) {
    if (SavedNum >= SavedSearch.size()) SavedSearch.resize(SavedNum + 10);
    SaveHist& h = SavedSearch[SavedNum];
    h.qrys = q;
    if (isAdvanced)
        h.vals = q->sql();
    else
        h.vals = q->firstParamValue(QVariant(0));
    h.nams = boxText;
    h.nona = boxDisabled;
    h.hilis = patterns;
    return SavedNum++;
}

const SaveHist& SearchHistory::restore(int index, bool isAdvanced) const {
    const SaveHist& h = SavedSearch[index];
    if (isAdvanced)
        h.qrys->setSQL(h.vals.toString());
    else
        h.qrys->setAllParams(h.vals);
    return h;
}

}  // namespace st::search
