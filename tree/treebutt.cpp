#include "tree/treebutt.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeView>

#include "app/messages.h"
#include "tree/treev.h"

namespace st::tree {

TfamTreeButt::TfamTreeButt(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("famTreeButt"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    QFont f(QStringLiteral("Arial Unicode MS"), 8);
    f.setBold(true);
    auto make = [&](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(f);
        b->setFixedWidth(std::max(22, b->fontMetrics().horizontalAdvance(caption) + 10));
        b->setFocusPolicy(Qt::NoFocus);
        row->addWidget(b);
        return b;
    };
    QPushButton** levels[5] = {&btnLevel1, &btnLevel2, &btnLevel3, &btnLevel4, &btnLevel5};
    const char* names[5] = {"btnLevel1", "btnLevel2", "btnLevel3", "btnLevel4", "btnLevel5"};
    for (int i = 0; i < 5; ++i) {
        *levels[i] = make(names[i], QString::number(i + 1));
        connect(*levels[i], &QPushButton::clicked, this, [this, i] { ShowLevel(i + 1); });
    }
    row->addSpacing(4);
    btnLevelAll = make("btnLevelAll", QStringLiteral("Все"));
    row->addSpacing(4);
    btnGrandCollapse = make("btnGrandCollapse", QStringLiteral("-"));
    btnGrandExpand = make("btnGrandExpand", QStringLiteral("+"));
    row->addStretch();
    connect(btnLevelAll, &QPushButton::clicked, this, &TfamTreeButt::btnLevelAllClick);
    connect(btnGrandCollapse, &QPushButton::clicked, this, &TfamTreeButt::btnGrandCollapseClick);
    connect(btnGrandExpand, &QPushButton::clicked, this, &TfamTreeButt::btnGrandExpandClick);
}

void TfamTreeButt::RegisterMe(TfamTreeV* cpa) {
    papa = cpa;
    trList = cpa ? cpa->trList : nullptr;
}

namespace {

// Runs a change of expansion with repaint suspended and viewers silent, then
// selects the node given, which announces it once if it changed.
template <class F>
void quietly(TfamTreeV* papa, F&& change) {
    st::app::BusyCursor busy;
    int select = -1;
    {
        RepaintSuspender paused(papa->trList);
        papa->isBlockShow = true;
        const int s = papa->selectedNode();
        select = change(s);
        papa->isBlockShow = false;
    }
    if (select >= 0) papa->selectNode(select);
    papa->trList->setFocus();
}

}  // namespace

void TfamTreeButt::ShowLevel(int n) {
    if (!papa) return;
    papa->showExpanded = false;
    const EntryTreeModel* m = papa->model();
    quietly(papa, [&](int s) {
        const int last = n - 1;
        for (int i = 0; i < m->count(); ++i) {
            const int level = m->node(i).level;
            if (level < last)
                trList->expand(m->indexOfNode(i));
            else if (level == last)
                trList->collapse(m->indexOfNode(i));
        }
        // Closed levels below stay closed too.
        for (int i = 0; i < m->count(); ++i)
            if (m->node(i).level > last) trList->collapse(m->indexOfNode(i));
        while (s >= 0 && m->node(s).level > last) s = m->node(s).parent;
        return s;
    });
}

void TfamTreeButt::btnLevelAllClick() {
    if (!papa) return;
    papa->showExpanded = true;
    quietly(papa, [&](int s) {
        trList->expandAll();
        return s;
    });
}

void TfamTreeButt::btnGrandCollapseClick() {
    if (!papa) return;
    quietly(papa, [&](int s) {
        trList->collapseAll();
        return s;
    });
}

void TfamTreeButt::btnGrandExpandClick() {
    if (!papa || papa->selectedNode() < 0) return;
    quietly(papa, [&](int s) {
        trList->expandRecursively(papa->model()->indexOfNode(s));
        return s;
    });
}

}  // namespace st::tree
