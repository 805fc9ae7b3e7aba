#include "text/arshower.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStackedLayout>
#include <QTextBlock>
#include <QTextLayout>

#include "app/inifile.h"
#include "app/resourceset.h"
#include "app/settings.h"
#include "text/richfields.h"
#include "text/richview.h"

namespace st::text {

namespace {
const QString kTitle = QStringLiteral("Rich_Title");
const QString kText = QStringLiteral("Rich_Text");
const QString kAfter = QStringLiteral("Rich_After");
}  // namespace

TfamArShower::TfamArShower(QWidget* parent)
    : TfamViewer(parent),
      redText(new TRichView(this)),
      qryKids(nullptr, QStringLiteral("Select Entry_id, Entry_type\nfrom List_Entries\n"
                                      "where parent_ID=:pap\nOrder by Sort_list,Sort_Num")),
      tblText(nullptr, QStringLiteral("LIST_RICH_TEXT"), QStringLiteral("ENTRY_ID")),
      tblAfter(nullptr, QStringLiteral("LIST_RICH_AFTER"), QStringLiteral("ENTRY_ID")),
      mmBlanc(new QPlainTextEdit(this)),
      wrTerlin(nullptr, QStringLiteral("Select * \nfrom Term_In_List\nwhere Entry_ID=:ecid")),
      reTester(new TRichView(this)),
      thlFound(redText),
      stack_(new QStackedLayout(this)) {
    setObjectName(QStringLiteral("famArShower"));
    redText->setObjectName(QStringLiteral("redText"));
    redText->setReadOnly(true);
    redText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont f(QStringLiteral("Arial Unicode MS"));
    redText->document()->setDefaultFont(f);
    mmBlanc->setObjectName(QStringLiteral("mmBlanc"));
    mmBlanc->setReadOnly(true);
    mmBlanc->setStyleSheet(QStringLiteral("background: rgb(192, 255, 255);"));
    reTester->hide();
    redText->viewport()->installEventFilter(this);
    stack_->addWidget(mmBlanc);
    stack_->addWidget(redText);
    stack_->setCurrentWidget(mmBlanc);  // hidden until attached

    const st::text::CopyMenu menu = st::text::MakeCopyMenu(redText, this);
    pmeCopy = menu.menu;
    icrCopy = menu.copy;
    icrSelectall = menu.selectAll;

    // The dots snippets of the current resource set.
    const char* names[4] = {nullptr, "TopDots", "HeadDots", "EntryDots"};
    for (int i = 1; i <= 3; ++i)
        steDots[size_t(i)] = st::app::ResourceSet::current()
                                 .find(QStringLiteral("RichText"), QString::fromLatin1(names[i]))
                                 .value_or(QByteArray());
}

bool TfamArShower::eventFilter(QObject* watched, QEvent* e) {
    if (watched == redText->viewport()) {
        switch (e->type()) {
            case QEvent::Resize:
                if (keepShownInPlace_ && fCompleted) ScrollToShown();
                break;
            case QEvent::Wheel:
            case QEvent::MouseButtonPress:
            case QEvent::KeyPress:
                keepShownInPlace_ = false;
                break;
            default:
                break;
        }
    }
    return TfamViewer::eventFilter(watched, e);
}

TfamArShower::~TfamArShower() {
    if (papa) papa->removeShower(shower());
}

void TfamArShower::SetPapaValue(st::tree::TfamTreeV* cpa, bool isOraLike) {
    if (papa) papa->removeShower(shower());
    CloseSources();
    fPartial = isOraLike;
    papa = cpa;
    fTabOpen = false;
    id_shown = -1;
    fCompleted = true;
    st::db::Database* db = cpa ? cpa->database() : nullptr;
    qryKids.setDatabase(db);
    wrTerlin.setDatabase(db);
    tblText.setDatabase(db);
    tblAfter.setDatabase(db);
    redText->clear();
    stack_->setCurrentWidget(redText);
}

void TfamArShower::RegisterMe(st::tree::TfamTreeV* cpa, bool isOraLike) {
    SetPapaValue(cpa, isOraLike);
    cpa->addShower(shower());
}

void TfamArShower::ReadRules(const QString& adna, const QString& fin) {
    if (adna == rulesGot) return;
    rulesGot = adna;
    const st::app::CompositionRules r = st::app::ReadCompositionRules(st::app::IniFile(fin), adna);
    top_max = r.top_max;
    for (int i = 0; i < r.al_rulls.size() && i < 21; ++i)
        al_rulls[size_t(i)] = {r.al_rulls[i].down_step, r.al_rulls[i].text_step,
                               r.al_rulls[i].afte_step};
    id_shown = -1;
    fRestart = true;
}

void TfamArShower::FillBox(int nid, bool freget) {
    if (!freget && nid == id_shown) return;
    id_shown = nid;
    stack_->setCurrentWidget(mmBlanc);
    fRestart = true;
    // One posted run at a time; a running one sees fRestart.
    if (fCompleted && !posted_) {
        posted_ = true;
        QMetaObject::invokeMethod(this, &TfamArShower::msRedraw, Qt::QueuedConnection);
    }
}

bool TfamArShower::pumpEvents() {
    QCoreApplication::processEvents();
    return fRestart;
}

void TfamArShower::OpenSources() {
    if (fTabOpen || !papa) return;
    snapshot_.emplace(papa->database());
    papa->OpenTable();
    if (fPartial) {
        tblText.open();
        tblAfter.open();
    }
    fTabOpen = true;
}

void TfamArShower::CloseSources() {
    if (!fTabOpen) return;
    fTabOpen = false;
    if (fPartial) {
        tblText.close();
        tblAfter.close();
    }
    if (papa) papa->CloseTable();
    snapshot_.reset();
}

void TfamArShower::msRedraw() {
    posted_ = false;
    if (!fCompleted || !papa) return;
    fCompleted = false;
    fsvEnabled = redText->isEnabled();
    fsvReadOnly = redText->isReadOnly();
    redText->setReadOnly(true);
    pumpEvents();
    fRestart = true;
    try {
        while (fRestart) {
            fRestart = false;
            kvite = 0;
            items.clear();
            thlFound.ClearData();
            redText->clear();
            if (id_shown <= 0) break;
            OpenSources();
            if (!papa->tblEntries.findKey({id_shown})) break;
            if (papa->tblEntries.field(QStringLiteral("Entry_type")).toInt() == 2) {
                ComposeStandalone();
                continue;
            }
            BuildLadder(id_shown);
            if (!fRestart) ComposeFromTop();
        }
    } catch (const st::db::DbError&) {
        // A failed read ends this run; the frame stays ready for the next entry.
        fRestart = false;
        kvite = 0;
        items.clear();
        thlFound.ClearData();
        redText->clear();
    }
    CloseSources();
    fCompleted = true;
    redText->setEnabled(fsvEnabled);
    redText->setReadOnly(fsvReadOnly);
    stack_->setCurrentWidget(redText);
    ScrollToShown();
    PlaceFoundMarks();
    // A view that was just moved or resized lays out again: until the user
    // touches it, the shown entry keeps its place at the top.
    keepShownInPlace_ = true;
    if (prcPostShow) prcPostShow(this);
}

void TfamArShower::BuildLadder(int eid) {
    nust = 0;
    firHead = 20;
    ladder_id[0] = eid;
    st::db::TableCursor& t = papa->tblEntries;
    while (nust < top_max) {
        if (firHead == 20 && t.field(QStringLiteral("Entry_type")).toInt() != 0) firHead = nust;
        const int parent = t.field(QStringLiteral("Parent_id")).toInt();
        if (parent <= 0) break;
        if (pumpEvents()) break;
        if (!t.findKey({parent})) break;
        ladder_id[size_t(++nust)] = parent;
    }
}

rule TfamArShower::levelRule(int k, int type) const {
    rule r = al_rulls[size_t(k)];
    if (k > firHead && type > 0) {
        r.text = -1;
        r.afte = type == 1 ? 0 : -1;
    }
    return r;
}

int TfamArShower::entryType(int e) {
    return papa->tblEntries.findKey({e})
               ? papa->tblEntries.field(QStringLiteral("Entry_type")).toInt()
               : 0;
}

void TfamArShower::ComposeFromTop() {
    const int k = nust;
    const int top = ladder_id[size_t(k)];
    const int type = entryType(top);
    int b = 0, c = 0, sub = -1;
    ComposeEntry(top, levelRule(k, type), 0, k == 0 ? colours::own : colours::context, true, type,
                 b, c, sub);
    if (fRestart) return;
    ComposeChildren(top, al_rulls[size_t(k)], true, sub, type, b, c);
}

void TfamArShower::ComposeStandalone() {
    int b = 0, c = 0, sub = -1;
    ComposeEntry(id_shown, rule{-1, 0, -1}, 0, colours::own, false, 2, b, c, sub);
}

void TfamArShower::shiftItems(int from, int by, int upTo) {
    // A zone that ends where the insertion starts stays as it was: ends are
    // exclusive, and an entry's sub-entries go right after its text.
    for (int i = 0; i < upTo && i < items.size(); ++i) {
        Placement_Item& it = items[i];
        for (int* p : {&it.spTitle, &it.spText, &it.spAfte})
            if (*p >= from) *p += by;
        for (int* p : {&it.epTitle, &it.epText, &it.epAfte})
            if (*p > from) *p += by;
    }
}

bool TfamArShower::insertZone(int e, const QString& column, const QColor& colour) {
    if (fPartial && column != kTitle) {
        st::db::TableCursor& t = column == kText ? tblText : tblAfter;
        return t.findKey({e}) && InsertFieldRtf(redText, t, column, colour);
    }
    if (!papa->tblEntries.findKey({e})) return false;
    return InsertFieldRtf(redText, papa->tblEntries, column, colour);
}

bool TfamArShower::zoneHasText(int e, const QString& column) {
    QVariant v;
    if (fPartial) {
        st::db::TableCursor& t = column == kText ? tblText : tblAfter;
        if (t.findKey({e})) v = t.field(column);
    } else if (papa->tblEntries.findKey({e})) {
        v = papa->tblEntries.field(column);
    }
    if (v.isNull()) return false;
    LoadRichFromField(reTester, v);
    return !reTester->plainText().trimmed().isEmpty();
}

void TfamArShower::markZone(int e, ps_list zone, int s, int end) {
    const int caret = redText->selStart();
    QColor hit = colours::hitOther;
    if (e == id_shown) {
        PaintZoneMarks(tersHil, terskvo, redText, false, zone, colours::termLink, end, s);
        hit = colours::hitOwn;
    }
    HiliCoo tpl;
    tpl.tpp = zone;
    tpl.id1 = e;
    tpl.id2 = e;
    thlFound.AddNewMarks(tpl, redText, s, end, hit, false, papa->CodePage);
    redText->setSelection(caret, 0);
}

int TfamArShower::ComposeEntry(int e, const rule& r, int position, const QColor& colour,
                               bool withTitle, int type, int& b, int& c, int& subPos) {
    const int k = type == 0 ? 3 : type == 2 ? 0 : (nust > firHead ? 1 : 2);
    Placement_Item item;
    item.id = e;
    subPos = -1;
    redText->setSelection(position, 0);
    const int s0 = redText->selStart();
    if (e == id_shown) {
        terskvo = 0;
        wrTerlin.setParam(QStringLiteral("ecid"), e);
        for (wrTerlin.open(); !wrTerlin.eof(); wrTerlin.next()) {
            HiliCoo tpl;
            tpl.id1 = wrTerlin.field(QStringLiteral("Term_ID")).toInt();
            tpl.id2 = e;
            terskvo = ParseTermMarks(tpl, tersHil, terskvo,
                                     wrTerlin.field(QStringLiteral("Position")).toString());
        }
        wrTerlin.close();
    }
    if (pumpEvents()) return 0;
    if (b > 0) {
        InsertRtfAtCaret(redText, steDots[size_t(b)], colours::context);
        b = 0;
    }
    // One zone at the caret: where it starts and ends, and its hits.
    auto place = [&](const QString& column, ps_list zone, int& start, int& end) {
        start = redText->selStart();
        if (!insertZone(e, column, colour)) return false;
        end = redText->selStart();
        markZone(e, zone, start, end);
        return true;
    };
    item.spTitle = redText->selStart();
    item.isTitle = withTitle && place(kTitle, hilTitle, item.spTitle, item.epTitle);
    if (r.text >= 0) {
        if (pumpEvents()) return 0;
        item.isText = place(kText, hilText, item.spText, item.epText);
    } else if (b < k && zoneHasText(e, kText)) {
        b = k;
    }
    subPos = redText->selStart();
    if (r.afte >= 0) {
        if (pumpEvents()) return 0;
        if ((item.isAfte = place(kAfter, hilAfter, item.spAfte, item.epAfte))) {
            if (c > 0) {
                InsertRtfAtCaret(redText, steDots[size_t(c)], colours::context);
                c = 0;
            }
        }
    } else if (c < k && zoneHasText(e, kAfter)) {
        c = k;
    }
    const int length = redText->selStart() - s0;
    if (length > 0) shiftItems(s0, length, int(items.size()));
    if (item.isTitle || item.isText || item.isAfte) {
        items.append(item);
        kvite = int(items.size());
    }
    pumpEvents();
    return length;
}

int TfamArShower::InsertDotsAt(int position, int kind) {
    redText->setSelection(position, 0);
    const int s = redText->selStart();
    InsertRtfAtCaret(redText, steDots[size_t(kind)], colours::context);
    const int n = redText->selStart() - s;
    if (n > 0) shiftItems(s, n, int(items.size()));
    redText->setSelection(s + n, 0);
    return n;
}

int TfamArShower::ComposeChildren(int p, const rule& parentRule, bool onPath, int position,
                                  int type, int b, int c) {
    const rule r{parentRule.down - 1, parentRule.text - 1, parentRule.afte - 1};
    if (pumpEvents()) return 0;
    if (onPath && nust == 0) onPath = false;
    int q = -1;
    if (onPath) q = ladder_id[size_t(--nust)];
    const int k = type == 0 ? 3 : (nust > firHead ? 1 : 2);

    struct Kid {
        int id, type;
    };
    auto listKids = [&] {
        QList<Kid> kids;
        qryKids.setParam(QStringLiteral("pap"), p);
        for (qryKids.open(); !qryKids.eof(); qryKids.next())
            kids.append({qryKids.field(0).toInt(), qryKids.field(1).toInt()});
        qryKids.close();
        return kids;
    };

    if (r.down < 0) {
        if (b < k || c < k) {
            const QList<Kid> kids = listKids();
            if (kids.isEmpty()) {
                q = -1;
            } else if (q > 0) {
                if (b < k && kids.front().id != q) b = k;
                if (c < k && kids.back().id != q) c = k;
            } else {
                b = k;
            }
        }
        if (q > 0 && !papa->tblEntries.findKey({q})) q = -1;
        if (q > 0) {
            const int qt = papa->tblEntries.field(QStringLiteral("Entry_type")).toInt();
            int sub = -1;
            int total =
                ComposeEntry(q, levelRule(nust, qt), position,
                             nust == 0 ? colours::own : colours::context, true, qt, b, c, sub);
            if (!fRestart) total += ComposeChildren(q, al_rulls[size_t(nust)], true, sub, qt, b, c);
            return total;
        }
        return std::max(b, c) > 0 ? InsertDotsAt(position, std::max(b, c)) : 0;
    }

    const QList<Kid> kids = listKids();
    QList<idpo> recorded;
    int pos = position;
    for (qsizetype i = 0; i < kids.size();) {
        const Kid x = kids[i];
        rule xr = r;
        QColor colour = colours::context;
        const bool isPath = onPath && x.id == q;
        if (isPath) {
            xr = levelRule(nust, x.type);
            colour = nust == 0 ? colours::own : colours::context;
        } else if (x.type > 0) {
            b = std::max(b, k);  // a heading off the path stands as dots
            ++i;
            continue;
        }
        int d = 0;
        qsizetype j = i + 1;
        while (j < kids.size() && !(onPath && kids[j].id == q) && kids[j].type != 0) {
            d = std::max(d, k);
            ++j;
        }
        if (j == kids.size()) d = std::max(d, c);
        i = j;
        if (papa->tblEntries.findKey({x.id})) {
            int sub = -1;
            pos += ComposeEntry(x.id, xr, pos, colour, true, x.type, b, d, sub);
            recorded.append({x.id, sub, x.type, b, d});
            b = 0;
        }
        if (pumpEvents()) break;
    }
    int total = pos - position;
    if (recorded.isEmpty()) {
        if (std::max(b, c) > 0) total += InsertDotsAt(position, std::max(b, c));
        return total;
    }
    int shift = 0;
    for (const idpo& child : recorded) {
        if (fRestart) break;
        const bool isPath = onPath && child.idp == q;
        shift += ComposeChildren(child.idp, isPath ? al_rulls[size_t(nust)] : r, isPath,
                                 child.pzs + shift, child.typ, child.dotText, child.dotAfter);
    }
    return total + shift;
}

void TfamArShower::ScrollToShown() {
    for (const Placement_Item& it : items) {
        if (it.id != id_shown) continue;
        int at = -1;
        if (it.isTitle)
            at = it.spTitle;
        else if (it.isText)
            at = it.spText;
        if (at < 0) return;
        QTextDocument* doc = redText->document();
        doc->size();  // the whole layout, so the scroll range is final
        redText->setSelection(at, 0);
        // Where the position stands in the document, whatever is scrolled now.
        const QTextBlock block = doc->findBlock(at);
        const QTextLine line = block.layout()->lineForTextPosition(at - block.position());
        const qreal y =
            doc->documentLayout()->blockBoundingRect(block).top() + (line.isValid() ? line.y() : 0);
        redText->setScrollPosition(std::clamp(int(y) - 10, 0, redText->scrollRange()));
        return;
    }
}

void TfamArShower::PlaceFoundMarks() {
    int last = -1;
    const Placement_Item* item = nullptr;
    for (int i = 0; i < thlFound.founkvo; ++i) {
        HiliCoo& h = thlFound.founHil[i];
        if (h.id1 != last || !item) {
            item = nullptr;
            for (const Placement_Item& it : items)
                if (it.id == h.id1) {
                    item = &it;
                    break;
                }
            last = h.id1;
        }
        if (!item) continue;
        const int start = h.tpp == hilTitle  ? item->spTitle
                          : h.tpp == hilText ? item->spText
                                             : item->spAfte;
        h.scrpos = start + h.star - 1;
    }
    thlFound.SortFoundList();
}

}  // namespace st::text
