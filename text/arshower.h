#pragma once
#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "db/query.h"
#include "db/tablecursor.h"
#include "text/hilight.h"
#include "text/texthighlighter.h"
#include "tree/viewerframe.h"

class QMenu;
class QPlainTextEdit;
class QStackedLayout;

namespace st::text {

class TRichView;

// One composed entry that placed at least one zone: where its title, text
// and after-text stand in the document.
struct Placement_Item {
    int id = 0;
    bool isTitle = false, isText = false, isAfte = false;
    int spTitle = 0, spText = 0, spAfte = 0;
    int epTitle = 0, epText = 0, epAfte = 0;  // exclusive
};

// A composed child waiting for its own sub-entries.
struct idpo {
    int idp = 0;
    int pzs = 0;  // where its sub-entries go: after its text, before its after-text
    int typ = 0;
    int dotText = 0;
    int dotAfter = 0;
};

// The composition rule of one ladder level.
struct rule {
    int down = 0;   // generations of sub-entries shown
    int text = -1;  // generations whose text is shown (the entry itself is 0)
    int afte = -1;  // the same for after-texts
};

// Colours of the composed text.
namespace colours {
inline const QColor own(0, 0, 0);
inline const QColor context(48, 48, 48);
inline const QColor termLink(0, 0, 128);
inline const QColor hitOwn(255, 0, 128);
inline const QColor hitOther(255, 128, 192);
}  // namespace colours

// The entry text composer: the shown entry in its context, written from its
// top ancestor down as the rules of each level say, the left-out parts as
// dots. Composition runs later on the interface thread, lets pending events
// run between steps, and starts over when a new entry or new rules arrive.
class TfamArShower : public st::tree::TfamViewer {
    Q_OBJECT
  public:
    explicit TfamArShower(QWidget* parent = nullptr);
    ~TfamArShower() override;

    void SetPapaValue(st::tree::TfamTreeV* cpa) override { SetPapaValue(cpa, false); }
    void SetPapaValue(st::tree::TfamTreeV* cpa, bool isOraLike);
    void RegisterMe(st::tree::TfamTreeV* cpa, bool isOraLike);
    // Loads the rules of a section of the settings file; nothing for the
    // section already in force, otherwise the next FillBox recomposes.
    void ReadRules(const QString& adna, const QString& fin);
    void FillBox(int nid, bool freget) override;
    // The composition run (posted by FillBox).
    void msRedraw();

    // A composition is posted or running.
    bool isComposing() const { return posted_ || !fCompleted; }
    // The shared pattern list the hits come from.
    void setPatterns(QStringList* shabs) { thlFound.shabs = shabs; }

    TRichView* redText;
    st::db::Query qryKids;
    st::db::TableCursor tblText;
    st::db::TableCursor tblAfter;
    QPlainTextEdit* mmBlanc;
    QMenu* pmeCopy;
    QAction* icrCopy;
    QAction* icrSelectall;
    st::db::Query wrTerlin;
    int top_max = 20;
    std::array<rule, 21> al_rulls{};
    std::array<int, 21> ladder_id{};
    int nust = 0;
    int firHead = 20;
    bool fTabOpen = false;
    bool fPartial = false;
    bool fRestart = false;
    bool fsvEnabled = true, fsvReadOnly = true;
    int fiw_selected = 0;
    std::array<QByteArray, 4> steDots;  // 1 TopDots, 2 HeadDots, 3 EntryDots
    TRichView* reTester;
    QString rulesGot;
    int id_shown = -1;
    bool fCompleted = true;
    QList<Placement_Item> items;
    int kvite = 0;
    std::function<void(TfamArShower*)> prcPostShow;
    cTextHighLighter thlFound;
    dynar_HiliCoo tersHil;
    int terskvo = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void OpenSources();
    void CloseSources();
    bool pumpEvents();  // lets pending events run; true when a restart is due
    void BuildLadder(int eid);
    rule levelRule(int k, int type) const;
    void ComposeFromTop();
    void ComposeStandalone();
    int ComposeEntry(int e, const rule& r, int position, const QColor& colour, bool withTitle,
                     int type, int& b, int& c, int& subPos);
    int ComposeChildren(int p, const rule& r, bool onPath, int position, int type, int b, int c);
    int InsertDotsAt(int position, int kind);
    bool insertZone(int e, const QString& column, const QColor& colour);
    bool zoneHasText(int e, const QString& column);
    void markZone(int e, ps_list zone, int s, int end);
    void shiftItems(int from, int by, int upTo);
    void ScrollToShown();
    void PlaceFoundMarks();
    int entryType(int e);

    QStackedLayout* stack_;
    std::optional<st::db::ReadTransaction> snapshot_;  // one read lock for a whole run
    bool posted_ = false;
    bool keepShownInPlace_ = false;
};

}  // namespace st::text
