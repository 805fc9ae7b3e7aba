#include "tree/treev.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/localtexts.h"
#include "app/wordtable.h"
#include "text/fold.h"
#include "text/hilight.h"
#include "tree/treedelegate.h"

namespace st::tree {

using st::db::Query;

namespace {
const QString kPicChildren = QStringLiteral(
    "Select Entry_ID, Picture_key\n"
    "from List_Entries\n"
    "where Parent_ID=:pap");
}  // namespace

RepaintSuspender::RepaintSuspender(QWidget* w) : w_(w), was_(w->updatesEnabled()) {
    w_->setUpdatesEnabled(false);
}

RepaintSuspender::~RepaintSuspender() {
    w_->setUpdatesEnabled(was_);
}

TfamTreeV::TfamTreeV(QWidget* parent)
    : QWidget(parent),
      qrySelectAll(nullptr, kWholeListSQL),
      tblEntries(nullptr, QStringLiteral("LIST_ENTRIES"), QStringLiteral("PrimaryKey")),
      qryGetHeads(nullptr, kHeadsSQL),
      quePicChild(nullptr, kPicChildren),
      model_(new EntryTreeModel(this)) {
    setObjectName(QStringLiteral("famTreeV"));
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    trList = new QTreeView(this);
    trList->setObjectName(QStringLiteral("trList"));
    trList->setModel(model_);
    trList->setHeaderHidden(true);
    trList->setUniformRowHeights(true);
    trList->setIndentation(19);
    trList->setSelectionMode(QAbstractItemView::SingleSelection);
    trList->setSelectionBehavior(QAbstractItemView::SelectRows);
    trList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    trList->setItemDelegate(new TreeHitDelegate(this));
    QFont f(QStringLiteral("Arial Unicode MS"), 10);
    trList->setFont(f);
    box->addWidget(trList);
    connect(trList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { trListChange(); });
}

TfamTreeV::~TfamTreeV() = default;

void TfamTreeV::SetDatabase(st::db::Database* db) {
    db_ = db;
    qrySelectAll.setDatabase(db);
    tblEntries.setDatabase(db);
    qryGetHeads.setDatabase(db);
    quePicChild.setDatabase(db);
    lckEntries = 0;
}

// ---- the shared cursor ----------------------------------------------------

void TfamTreeV::OpenTable() {
    if (lckEntries <= 0) {
        lckEntries = 1;
        if (!tblEntries.isOpen()) tblEntries.open();
    } else {
        ++lckEntries;
    }
}

void TfamTreeV::CloseTable() {
    if (lckEntries > 1) {
        --lckEntries;
    } else {
        lckEntries = 0;
        tblEntries.close();
    }
    tblEntries.open();  // open again, with a fresh state
}

// ---- heads and filters ----------------------------------------------------

void TfamTreeV::FillHeads() {
    liHeads = ReadListHeads(qryGetHeads, liHeads);
    liSaved_id = -1;
    liSaved_po = -1;
    Make_liVisibles();
}

QString TfamTreeV::ChangeSQL(const QString& text) const {
    return ApplyVisibleLists(text, liVisibles);
}

void TfamTreeV::ChangeSQL(Query& q) const {
    q.setSQL(ChangeSQL(q.sql()));
}

void TfamTreeV::Make_liVisibles() {
    liVisibles = MakeVisibleLists(liHeads, liShowHeads);
}

QString TfamTreeV::MakeTreeString(const Query& qry, const QString& sti) const {
    if (TreeItemMaker) return TreeItemMaker(qry, sti);
    const QString t = sti.trimmed();
    return t.isEmpty() ? QString(20, u' ') : t;
}

// ---- loading --------------------------------------------------------------

void TfamTreeV::clearSelection() {
    trList->selectionModel()->clearSelection();
    trList->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
}

void TfamTreeV::FillTree1(Query& queEcc, TLAutoExpand rulExpand) {
    const bool whole = &queEcc == &qrySelectAll;
    {
        RepaintSuspender paused(trList);
        if (FullShown && whole) return;
        const int remembered = id_shown;
        isBlockShow = true;
        clearSelection();
        model_->beginFill();
        FullShown = whole;
        if (!queEcc.isOpen())
            queEcc.open();
        else
            queEcc.first();
        if (queEcc.eof()) {
            static const st::app::WordTable noWords;
            model_->append(
                -1, 0,
                st::app::ComposeText(st::app::TextId::noEntryFound, languageNumber_, noWords));
            model_->endFill();
            clearSelection();
            isBlockShow = false;
            ShowEntry(-1, false);
            return;
        }
        int reselect = -1;
        {
            st::db::ReadTransaction snapshot(db_);
            EntryTreeLoader loader(db_);
            std::vector<LoadedNode> nodes = loader.load(queEcc);
            PlaceHeads(nodes, liHeads, liMaxLev);
            static const Query none;
            model_->reserve(int(nodes.size()));
            for (const LoadedNode& n : nodes) {
                const int node = model_->append(n.parent, n.data, MakeTreeString(none, n.title));
                if (n.hiddenHead)
                    model_->setNodeState(node, 1);
                else if (n.pictureKey == 1)
                    model_->setNodeState(node, n.data > 0 ? 2 : 3);
                if (n.id() == remembered) reselect = node;
            }
        }
        model_->endFill();
        if (rulExpand == laxAlways || (rulExpand == laxAuto && showExpanded)) trList->expandAll();
        isBlockShow = false;
        if (reselect >= 0) {
            selectNode(reselect);
            return;
        }
        clearSelection();
    }
    ShowEntry(-1, false);
}

void TfamTreeV::FillTree0(Query& queEcc, TLAutoExpand) {
    if (!FullShown) {
        const bool whole = &queEcc == &qrySelectAll;
        if (!whole) {
            ChangeSQL(qrySelectAll);
            qrySelectAll.open();
        }
        FillTree1(qrySelectAll, laxNo);
        if (whole) return;
        qrySelectAll.close();
    }
    RepaintSuspender paused(trList);
    if (!queEcc.isOpen())
        queEcc.open();
    else
        queEcc.first();
    MarkHitsInStep(
        model_->count(), [this](int i) { return std::abs(model_->node(i).data); },
        [this](int i, int v) { model_->setNodeData(i, v); }, queEcc);
    model_->refresh();
}

int TfamTreeV::FindHeadRec(int nid, bool isCacheIt) {
    if (nid <= 0) return -1;
    if (nid == liSaved_id) return liSaved_po;
    int result = -1;
    const int sel = selectedNode();
    if (sel >= 0 && std::abs(model_->node(sel).data) == nid) {
        int n = sel;
        while (n >= 0 && model_->node(n).level > liMaxLev) n = model_->node(n).parent;
        for (; n >= 0 && result < 0; n = model_->node(n).parent)
            for (int i = int(liHeads.size()) - 1; i >= 0; --i)
                if (liHeads[i].trPosition == n) {
                    result = i;
                    break;
                }
    } else {
        OpenTable();
        if (tblEntries.findKey({nid})) {
            int rev = tblEntries.field(QStringLiteral("Revision_id")).toInt();
            if (rev == 0) rev = nid;
            for (int i = int(liHeads.size()) - 1; i >= 0; --i)
                if (liHeads[i].rev_id == rev) {
                    result = i;
                    break;
                }
        }
        CloseTable();
    }
    if (isCacheIt) {
        liSaved_id = nid;
        liSaved_po = result;
    }
    return result;
}

void TfamTreeV::UpdateHeadsFromTree() {
    for (TLRevsInfo& h : liHeads) h.trPosition = -1;
    int start = 0;
    for (int n = 0; n < model_->count(); ++n) {
        const int v = std::abs(model_->node(n).data);
        for (int i = start; i < liHeads.size(); ++i) {
            if (liHeads[i].rev_id == v) {
                liHeads[i].trPosition = n;
                start = i + 1;
                liMaxLev = std::max(liMaxLev, model_->node(n).level);
                break;
            }
            if (liHeads[i].fshow && liShowHeads) break;
        }
    }
}

QString TfamTreeV::GetFieldText(const QString& column) const {
    return tblEntries.field(column).toString();
}

void TfamTreeV::SetFieldText(const QString& column, const QString& text) {
    tblEntries.edit();
    tblEntries.setField(column, text);
    tblEntries.post();
}

void TfamTreeV::SetCharsets(const QString& desc) {
    const QString d = desc.left(3).toLower();
    if (d == u"rus" || d == u"ukr" || d == u"cyr") {
        CodePage = 1251;
        CharSet = 204;
    } else if (d == u"bal") {
        CodePage = 1257;
        CharSet = 186;
    } else if (d == u"cen" || d == u"est") {
        CodePage = 1250;
        CharSet = 238;
    } else if (d == u"wes" || d == u"usa" || d == u"lat" || d == u"ame") {
        CodePage = 1252;
        CharSet = DefaultPage == 1252 ? 0 : 255;
    } else if (d == u"tur") {
        CodePage = 1254;
        CharSet = 162;
    } else if (d == u"gre") {
        CodePage = 1253;
        CharSet = 161;
    }
}

// ---- list visibility ------------------------------------------------------

void TfamTreeV::BuildRevisionScreen(QWidget* scbDest) {
    for (QWidget* w : scbDest->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        delete w;
    // Rows stack top down in their container; a group box grows with what
    // it holds, and what follows it moves down.
    auto stackOf = [](QWidget* container, int top) {
        auto* box = qobject_cast<QVBoxLayout*>(container->layout());
        if (!box) {
            box = new QVBoxLayout(container);
            box->setSpacing(0);
            box->setAlignment(Qt::AlignTop);
        }
        box->setContentsMargins(0, top, 0, 0);
        return box;
    };
    const int h = std::abs(scbDest->fontMetrics().height() * 3 / 2);
    const int groupHeader = h - h / 4;
    struct Open {
        int id;
        QGroupBox* box;
    };
    QList<Open> stack;
    QVBoxLayout* topStack = stackOf(scbDest, 0);
    static const Query none;
    OpenTable();
    for (TLRevsInfo& head : liHeads) {
        int parentId = 0;
        QString title;
        if (tblEntries.findKey({head.rev_id})) {
            parentId = tblEntries.field(QStringLiteral("Parent_id")).toInt();
            title = tblEntries.field(QStringLiteral("List_Title")).toString();
        }
        while (!stack.isEmpty() && stack.back().id != parentId) stack.removeLast();
        QWidget* container = stack.isEmpty() ? scbDest : static_cast<QWidget*>(stack.back().box);
        QVBoxLayout* rows =
            stack.isEmpty() ? topStack : static_cast<QVBoxLayout*>(container->layout());
        QWidget* row;
        if (head.typ == 1) {
            row = new QWidget(container);
            row->setFixedHeight(h);
            auto* line = new QHBoxLayout(row);
            line->setContentsMargins(5, 0, 0, 0);
            auto* check = new QCheckBox(MakeTreeString(none, title), row);
            check->setObjectName(QStringLiteral("chbList%1").arg(head.rev_id));
            check->setChecked(head.fshow);
            line->addWidget(check);
            head.chbAsker = check;
        } else {
            auto* group = new QGroupBox(MakeTreeString(none, title), container);
            group->setObjectName(QStringLiteral("grpList%1").arg(head.rev_id));
            group->setMinimumHeight(groupHeader);
            stackOf(group, 0);  // the box keeps its caption out of the rows
            head.chbAsker = group;
            row = group;
        }
        rows->addWidget(row);
        row->show();
        if (head.typ == 0 && stack.size() < 10)
            stack.append({head.rev_id, static_cast<QGroupBox*>(row)});
    }
    CloseTable();
}

void TfamTreeV::GetRevisionVisibility() {
    for (TLRevsInfo& head : liHeads) {
        if (!head.chbAsker) continue;
        if (head.typ == 1) {
            if (auto* c = qobject_cast<QCheckBox*>(head.chbAsker)) head.fshow = c->isChecked();
            continue;
        }
        // A group is judged by its own lists: check boxes in it or in its rows.
        bool any = false;
        for (QObject* child : head.chbAsker->children()) {
            if (auto* c = qobject_cast<QCheckBox*>(child)) any = any || c->isChecked();
            if (qobject_cast<QGroupBox*>(child)) continue;
            if (auto* w = qobject_cast<QWidget*>(child))
                for (QObject* inner : w->children())
                    if (auto* c = qobject_cast<QCheckBox*>(inner)) any = any || c->isChecked();
        }
        head.fshow = any;
    }
    Make_liVisibles();
    FullShown = false;
}

// ---- viewer registry ------------------------------------------------------

void TfamTreeV::addShower(const proArShower& shw) {
    for (arrArShower& r : liShower) {
        if (!(r.proc == shw)) continue;
        if (r.isActive) return;
        r.isActive = true;
        r.proc(id_shown, false);
        return;
    }
    if (liShower.size() == liShower.capacity()) liShower.reserve(liShower.size() + 10);
    liShower.append({shw, true});
    shw(id_shown, false);
}

void TfamTreeV::silentShower(const proArShower& shw) {
    for (arrArShower& r : liShower)
        if (r.proc == shw) r.isActive = false;
}

void TfamTreeV::removeShower(const proArShower& shw) {
    for (qsizetype i = 0; i < liShower.size(); ++i)
        if (liShower[i].proc == shw) {
            liShower.removeAt(i);
            return;
        }
}

bool TfamTreeV::isRegisteredShower(const proArShower& shw) const {
    for (const arrArShower& r : liShower)
        if (r.proc == shw) return true;
    return false;
}

void TfamTreeV::ShowEntry(int id, bool reload) {
    if (isBlockShow) return;
    id_shown = id;
    const qsizetype n = liShower.size();  // taken once per announcement
    for (qsizetype i = 0; i < n && i < liShower.size(); ++i) {
        const arrArShower r = liShower[i];
        if (r.isActive) r.proc(id, reload);
    }
}

void TfamTreeV::NotifyAll(int id, bool reload) {
    if (isBlockShow) return;
    id_shown = id;
    const qsizetype n = liShower.size();
    for (qsizetype i = 0; i < n && i < liShower.size(); ++i) {
        const arrArShower r = liShower[i];
        r.proc(id, reload);
    }
}

// ---- display and navigation -----------------------------------------------

int TfamTreeV::selectedNode() const {
    return model_->nodeOf(trList->currentIndex());
}

void TfamTreeV::trListChange() {
    const int n = selectedNode();
    const int id = n >= 0 ? std::abs(model_->node(n).data) : -1;
    trList->viewport()->update();
    ShowEntry(id, false);
}

void TfamTreeV::selectNode(int node) {
    const QModelIndex index = model_->indexOfNode(node);
    if (!index.isValid()) return;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) trList->expand(p);
    trList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    trList->scrollTo(index);
}

int TfamTreeV::findHit(int from, int step) const {
    for (int i = from; i >= 0 && i < model_->count(); i += step)
        if (model_->node(i).data > 0) return i;
    return -1;
}

void TfamTreeV::MarkFirst() {
    const int h = findHit(0, 1);
    if (h >= 0) selectNode(h);
}

void TfamTreeV::MarkLast() {
    const int h = findHit(model_->count() - 1, -1);
    if (h >= 0) selectNode(h);
}

void TfamTreeV::MarkNext() {
    const int s = selectedNode();
    if (s < 0) return MarkLast();
    const int h = findHit(s + 1, 1);
    if (h >= 0) selectNode(h);
}

void TfamTreeV::MarkPrevious() {
    const int s = selectedNode();
    if (s < 0) return MarkFirst();
    const int h = findHit(s - 1, -1);
    if (h >= 0) selectNode(h);
}

int TfamTreeV::GetNodeByID(int cuid) const {
    const int s = selectedNode();
    if (s >= 0 && std::abs(model_->node(s).data) == cuid) return s;
    return model_->findId(cuid);
}

void TfamTreeV::MarkHavingPictures(int cuid) {
    OpenTable();
    {
        st::db::Transaction tr(*db_);
        if (tblEntries.findKey({cuid})) {
            tblEntries.edit();
            tblEntries.setField(QStringLiteral("Picture_key"), 1);
            tblEntries.post();
            for (int p = tblEntries.field(QStringLiteral("Parent_ID")).toInt();
                 p > 0 && tblEntries.findKey({p});
                 p = tblEntries.field(QStringLiteral("Parent_ID")).toInt()) {
                if (tblEntries.field(QStringLiteral("Picture_key")).toInt() != 0) break;
                tblEntries.edit();
                tblEntries.setField(QStringLiteral("Picture_key"), 2);
                tblEntries.post();
            }
        }
        tr.commit();
    }
    CloseTable();
}

void TfamTreeV::MarkNoPictures(int cuid) {
    auto childHasPictures = [this](int id) {
        quePicChild.setParam(QStringLiteral("pap"), id);
        bool any = false;
        for (quePicChild.open(); !quePicChild.eof() && !any; quePicChild.next())
            any = quePicChild.field(QStringLiteral("Picture_key")).toInt() != 0;
        quePicChild.close();
        return any;
    };
    OpenTable();
    {
        st::db::Transaction tr(*db_);
        const int v = childHasPictures(cuid) ? 2 : 0;
        if (tblEntries.findKey({cuid})) {
            tblEntries.edit();
            tblEntries.setField(QStringLiteral("Picture_key"), v);
            tblEntries.post();
            if (v == 0) {
                for (int p = tblEntries.field(QStringLiteral("Parent_ID")).toInt();
                     p > 0 && tblEntries.findKey({p});
                     p = tblEntries.field(QStringLiteral("Parent_ID")).toInt()) {
                    if (tblEntries.field(QStringLiteral("Picture_key")).toInt() != 2) break;
                    if (childHasPictures(p)) break;
                    tblEntries.edit();
                    tblEntries.setField(QStringLiteral("Picture_key"), 0);
                    tblEntries.post();
                }
            }
        }
        tr.commit();
    }
    CloseTable();
}

}  // namespace st::tree

namespace st::tree {

QString TfamTreeV::MakePlaneString(const QString& sti) {
    return st::text::MakePlaneString(sti);
}

QString TfamTreeV::MakeSearchShab(const QString& sti) {
    return st::text::MakeSearchShab(sti);
}

QList<std::pair<int, int>> TfamTreeV::captionHits(const QString& caption) const {
    QList<std::pair<int, int>> hits;
    if (!shabs || shabs->isEmpty()) return hits;
    const QString t = st::text::MakeSearchShab(caption);
    // Code prefix patterns take part as text patterns, as every other.
    for (const QString& pattern : *shabs) {
        for (int start = 1; start <= t.size();) {
            const st::text::PatternMatch m = st::text::FindPattern(pattern, t, start);
            if (!m.found) break;
            hits.append({m.position - 1, m.length});
            start = m.position + (m.length < 2 ? 1 : m.length);
        }
    }
    return hits;
}

}  // namespace st::tree
