#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace st::db {
class Query;
}

namespace st::search {

// The quick-search query: eight string parameters, sti* in the plain search
// form and oti* without accents; "Revision_id" in the filter line is the
// visible-list placeholder.
extern const QString kQuickSearchSQL;

// The two forms of a quick-search text: "%" added at the ends where missing
// (blanks at the ends stay), then folded.
struct QuickSearchForms {
    QString sti;  // MakePlaneString
    QString oti;  // FoldDiacritics of sti
};
QuickSearchForms MakeQuickSearchForms(const QString& text);
// Binds every parameter: names beginning with "o" get oti, the others sti
// (oti as NULL when it equals sti: the same rows, half the matching).
void BindQuickSearch(st::db::Query& q, const QuickSearchForms& forms);

// The highlight patterns of a search text: its runs between "%" signs, in
// comparison form. clr replaces the list, otherwise they are appended.
void FillHiStarWords(QStringList& shabs, const QString& ss, bool clr);

// The number of a node built from its caption and its ancestors' (given
// from the node upwards): "b) x" under "a) x" under "1A001 T" gives 1A001.a.b.
QString MakeNodeNumber(const QStringList& captionsUpward);

// One recorded search of the history.
struct SaveHist {
    st::db::Query* qrys = nullptr;
    QVariant vals;      // the advanced query's text, or the first parameter's value, or 0
    QString nams;       // the search box text
    bool nona = false;  // the box showed a caption, not a typed text
    QStringList hilis;
};

// The searches made since start-up, never removed; the array grows by 10.
class SearchHistory {
  public:
    SearchHistory() { SavedSearch.resize(10); }
    // Records a search; returns its index.
    int push(st::db::Query* q, bool isAdvanced, const QString& boxText, bool boxDisabled,
             const QStringList& patterns);
    // Prepares the query of item index again: the advanced query's text, or
    // the stored value bound to every parameter.
    const SaveHist& restore(int index, bool isAdvanced) const;

    QList<SaveHist> SavedSearch;
    int SavedNum = 0;
};

}  // namespace st::search
