#pragma once
#include <QColor>
#include <QStringList>

#include "text/hilight.h"

namespace st::text {

class TRichView;

// Zones longer than this get no hits; it bounds the matching work per zone.
constexpr int kMaxHiliZone = 10000;

// Comparison form of the view's selection. The code page is accepted for the
// callers' sake and changes nothing: the view holds Unicode text.
QString GetSearchShab(const TRichView* view, int codePage);

// Finds one text pattern in the zone [pzs, pze) of the view, appends a copy
// of tpl per hit (star, len, scrpos filled) and colours the hit. Leaves the
// selection on the last range it touched.
void MarkPatternInZone(const HiliCoo& tpl, dynar_HiliCoo& hits, int& count, const QString& pattern,
                       TRichView* view, int pzs, int pze, const QColor& colour);

// Colours the first count marks of one zone that starts at zoneStart; marks
// that would run past zoneEnd are skipped.
void PaintZoneMarks(const dynar_HiliCoo& marks, int count, TRichView* view, bool restoreCaret,
                    ps_list zone, const QColor& colour, int zoneEnd, int zoneStart);

// The hits of the shared patterns in the zones of one view, and the
// navigation between them.
class cTextHighLighter {
  public:
    explicit cTextHighLighter(TRichView* rdDat);

    // Forgets the hits; the array is kept for reuse.
    void ClearData();
    // Text patterns over [pzs, pze) of ctr, coloured hico; sapo restores the
    // caret (and the scroll position) afterwards. cPage has no effect.
    void AddNewMarks(const HiliCoo& tpl, TRichView* ctr, int pzs, int pze, const QColor& hico,
                     bool sapo, int cPage);
    // Customs-code prefix patterns: the tokens of a code list that are the
    // beginning of the searched code (the code itself is left to the text
    // pattern searched beside it).
    void AddNewZEDMarks(const HiliCoo& tpl, TRichView* ctr, int pzs, int pze, const QColor& hico,
                        bool sapo);
    void SortFoundList();

    // Select a hit in redText and scroll it into view; nothing without hits
    // or while the view is hidden. They expect the hits sorted.
    void MarkFirst();
    void MarkNext();
    void MarkPrevious();
    void MarkLast();

    qint32 fiw_selected = 0;  // index of the current hit
    TRichView* redText = nullptr;
    bool fSorted = false;          // kept for the record layout; nothing reads it
    QStringList* shabs = nullptr;  // the owner's pattern list; none until set
    dynar_HiliCoo founHil;
    qint32 founkvo = 0;  // hits in use

  private:
    bool canNavigate() const;
    void ShowSelected();
};

}  // namespace st::text
