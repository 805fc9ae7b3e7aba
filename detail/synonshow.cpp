#include "detail/synonshow.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/datamodule.h"
#include "app/formlayout.h"
#include "db/database.h"
#include "db/schema.h"
#include "search/codeformat.h"
#include "text/arshower.h"
#include "text/fold.h"
#include "text/richfields.h"
#include "text/richview.h"

namespace st::detail {

namespace {
constexpr int kAddParent = 10000;
int kindOf(int code) {
    return code > 5000 ? code - kAddParent : code;
}
}  // namespace

TfrmSynonShow::TfrmSynonShow(QWidget* parent)
    : TfamViewer(parent),
      tblSynName(nullptr, QStringLiteral("SYN_NAME"), QStringLiteral("SYN_Search")),
      tblSynon(nullptr, QStringLiteral("SYNONYM"), QStringLiteral("SYN_SEARCH")),
      thlFound(nullptr) {
    setObjectName(QStringLiteral("frmSynonShow"));
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    tbcNames = new QTabBar(this);
    tbcNames->setObjectName(QStringLiteral("tbcNames"));
    tbcNames->setExpanding(false);
    box->addWidget(tbcNames);
    redData = new st::text::TRichView(this);
    redData->setObjectName(QStringLiteral("redData"));
    redData->setReadOnly(true);
    redData->document()->setDefaultFont(QFont(QStringLiteral("Arial Unicode MS")));
    box->addWidget(redData, 1);
    thlFound.redText = redData;
    pnlEdit = new QWidget(this);
    pnlEdit->setObjectName(QStringLiteral("pnlEdit"));
    auto* row = new QHBoxLayout(pnlEdit);
    row->setContentsMargins(0, 2, 0, 0);
    auto button = [&](const char* name) {
        auto* b = new QPushButton(pnlEdit);
        b->setObjectName(QString::fromLatin1(name));
        row->addWidget(b);
        return b;
    };
    btnEdit = button("btnEdit");
    btnDelete = button("btnDelete");
    btnSave = button("btnSave");
    btnCancel = button("btnCancel");
    row->addStretch();
    pnlEdit->hide();  // a window shows it for users who may edit
    box->addWidget(pnlEdit);
    connect(tbcNames, &QTabBar::tabBarClicked, this, &TfrmSynonShow::tbcNamesChange);
    connect(btnEdit, &QPushButton::clicked, this, &TfrmSynonShow::btnEditClick);
    connect(btnSave, &QPushButton::clicked, this, &TfrmSynonShow::btnSaveClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmSynonShow::btnCancelClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmSynonShow::btnDeleteClick);

    const st::text::CopyMenu menu = st::text::MakeCopyMenu(redData, this);
    pmeCopy = menu.menu;
    icrCopy = menu.copy;
    icrSelectall = menu.selectAll;
    st::app::ApplyLayout(this, QStringLiteral("TfrmSynonShow"));
    SetViewMode();
}

void TfrmSynonShow::SetPapaValue(st::tree::TfamTreeV* cpa) {
    papa = cpa;
    tblSynName.setDatabase(cpa ? cpa->database() : nullptr);
    tblSynon.setDatabase(cpa ? cpa->database() : nullptr);
}

void TfrmSynonShow::MakeTabless(QLabel* lbNewCap) {
    tbcNames->hide();
    lbCaption = lbNewCap;
    isTabless = true;
}

void TfrmSynonShow::ShowSelf() {
    if (isShown) return;
    if (MakeVisible)
        MakeVisible();
    else
        show();
    isShown = true;
}

void TfrmSynonShow::HideSelf() {
    if (!isShown) return;
    if (MakeInvisible)
        MakeInvisible();
    else
        hide();
    isShown = false;
}

void TfrmSynonShow::SetEditMode() {
    redData->setReadOnly(false);
    btnEdit->hide();
    btnDelete->show();
    btnSave->show();
    btnCancel->show();
}

void TfrmSynonShow::SetViewMode() {
    redData->setReadOnly(true);
    btnEdit->show();
    btnDelete->show();
    btnSave->hide();
    btnCancel->hide();
}

int TfrmSynonShow::selectedCode() const {
    const int i = tbcNames->currentIndex();
    return i < 0 ? -1 : tbcNames->tabData(i).toInt();
}

void TfrmSynonShow::applyWordBreak(int kind) {
    if (kind == st::db::synUKT)
        redData->setWordBreakRule(st::search::CodeWordBreak);
    else
        redData->restoreWordBreakRule();
}

bool TfrmSynonShow::loadKinds(st::tree::TLRevsInfo& head, int rid) {
    if (!head.syNames.isEmpty()) return true;  // built once per list
    const bool refer = st::app::TdmMain::OptionalSchemaOf(*papa->database()).referRevision;
    for (bool ok = tblSynName.seek(QVariantList{rid, 0}); ok && !tblSynName.eof();
         tblSynName.next()) {
        if (tblSynName.field(QStringLiteral("REVISION_ID")).toInt() != rid) break;
        int code = tblSynName.field(QStringLiteral("SYN_NUMBER")).toInt();
        const int add = tblSynName.field(QStringLiteral("IS_ADD_PARENT")).toInt();
        if (add == 1 || add == 2) code += kAddParent;
        head.syNames << tblSynName.field(QStringLiteral("NAME")).toString();
        head.syCodes << code;
        head.rrids << (refer ? tblSynName.field(QStringLiteral("Refer_Revision_ID")).toInt() : 0);
    }
    tblSynName.close();
    return true;
}

void TfrmSynonShow::appendText(const QVariant& text, const QColor& colour, const QColor& hit,
                               int id2, int kind) {
    const int s = redData->selStart();
    if (!st::text::InsertRtfAtCaret(redData, st::text::FieldBytes(text), colour)) return;
    const int e = redData->selStart();
    st::text::HiliCoo tpl;
    tpl.id1 = -1;
    tpl.id2 = id2;
    const int cp = papa ? papa->CodePage : 1251;
    thlFound.AddNewMarks(tpl, redData, s, e, hit, true, cp);
    if (kind == st::db::synUKT) thlFound.AddNewZEDMarks(tpl, redData, s, e, hit, true);
    redData->setSelection(e, 0);
}

void TfrmSynonShow::FillBox(int nid, bool freget) {
    if (!freget && nid == idShown) return;
    SetViewMode();
    if (nid < 0 || !papa) {
        HideSelf();
        idShown = -1;
        sydShown = -1;
        sydClosest = -1;
        return;
    }
    const int rec = papa->FindHeadRec(nid, true);
    st::tree::TLRevsInfo* head = rec >= 0 ? &papa->liHeads[rec] : nullptr;
    if (!head) {
        HideSelf();
    } else {
        const int rid = head->rev_id;
        if (rid != ridShown) {
            loadKinds(*head, rid);
            if (head->syNames.isEmpty()) {
                HideSelf();
            } else {
                const QSignalBlocker quiet(tbcNames);
                while (tbcNames->count()) tbcNames->removeTab(0);
                for (int i = 0; i < head->syNames.size(); ++i) {
                    tbcNames->addTab(head->syNames[i]);
                    tbcNames->setTabData(i, head->syCodes[i]);
                }
                tbcNames->updateGeometry();
                int found = head->syNames.indexOf(nameShown);
                for (int i = int(head->syCodes.size()) - 1; found < 0 && i >= 0; --i)
                    if (head->syCodes[i] == naidShown || head->syCodes[i] == naidShown + kAddParent)
                        found = i;
                for (int i = int(head->syCodes.size()) - 1; found < 0 && naidAllowed && i >= 0;
                     --i) {
                    const int k = kindOf(head->syCodes[i]);
                    if (k >= 0 && k < 32 && (naidAllowed >> k) & 1) found = i;
                }
                if (found >= 0) {
                    tbcNames->setCurrentIndex(found);
                    ShowSelf();
                } else if (isTabless) {
                    HideSelf();
                } else {
                    if (tbcNames->currentIndex() < 0) tbcNames->setCurrentIndex(0);
                    ShowSelf();
                }
                if (isShown) {
                    if (lbCaption) lbCaption->setText(tbcNames->tabText(tbcNames->currentIndex()));
                    naidReal = kindOf(selectedCode());
                    applyWordBreak(naidReal);
                } else {
                    naidReal = -1;
                }
            }
            ridShown = rid;
        } else if (!isShown && !head->syNames.isEmpty() && naidReal >= 0) {
            ShowSelf();
        }
        if (bt2Action && isShown) {
            const int i = tbcNames->currentIndex();
            bt2Action->setVisible(i >= 0 && i < head->rrids.size() && head->rrids[i] != 0);
        }
    }
    if (isShown && head) {
        const int code = selectedCode();
        const bool addParent = code > 5000;
        const int kind = kindOf(code);
        sydShown = tblSynon.findKey({nid, kind})
                       ? tblSynon.field(QStringLiteral("SYNONYM_ID")).toInt()
                       : -1;
        sydClosest = sydShown;
        bool found = sydShown > 0;
        if (!found && addParent && nid != ridShown) {
            const int sel = papa->selectedNode();
            if (sel >= 0 && std::abs(papa->model()->node(sel).data) == nid) {
                for (int n = papa->model()->node(sel).parent; n >= 0 && !found;
                     n = papa->model()->node(n).parent) {
                    const int anc = std::abs(papa->model()->node(n).data);
                    found = tblSynon.findKey({anc, kind});
                    if (anc == ridShown) break;
                }
            } else {
                papa->OpenTable();
                int root = 0;
                if (papa->tblEntries.findKey({nid}))
                    root = papa->tblEntries.field(QStringLiteral("REVISION_ID")).toInt();
                papa->CloseTable();
                found = root > 0 && tblSynon.findKey({root, kind});
            }
        }
        redData->clear();
        thlFound.ClearData();
        if (found) {
            sydClosest = tblSynon.field(QStringLiteral("SYNONYM_ID")).toInt();
            appendText(tblSynon.field(QStringLiteral("TEXT")), st::text::colours::own,
                       st::text::colours::hitOwn, -1, kind);
            // Rows linked by PARENT_ID continue the text, each on a new line.
            st::db::TableCursor byKey(papa->database(), QStringLiteral("SYNONYM"));
            QList<int> seen{sydClosest};
            for (int next = tblSynon.field(QStringLiteral("PARENT_ID")).toInt();
                 next > 0 && !seen.contains(next) && byKey.findKey({next});
                 next = byKey.field(QStringLiteral("PARENT_ID")).toInt()) {
                seen << next;
                st::text::EnsureBreakBeforeCaret(redData);
                appendText(byKey.field(QStringLiteral("TEXT")), st::text::colours::context,
                           st::text::colours::hitOther, next, kind);
            }
            thlFound.SortFoundList();
        }
        tblSynon.close();
        redData->setSelection(0, 0);
    } else {
        sydShown = -1;
        sydClosest = -1;
    }
    idShown = nid;
    btnDelete->setEnabled(sydShown > 0);
}

void TfrmSynonShow::tbcNamesChange(int index) {
    if (index < 0) return;
    tbcNames->setCurrentIndex(index);
    nameShown = tbcNames->tabText(index);
    naidShown = naidReal = kindOf(tbcNames->tabData(index).toInt());
    applyWordBreak(naidReal);
    if (lbCaption) lbCaption->setText(nameShown);
    FillBox(idShown, true);
}

void TfrmSynonShow::btnEditClick() {
    if (idShown <= 0) return;
    redData->clear();
    thlFound.ClearData();
    if (sydShown > 0) {
        st::db::TableCursor byKey(papa->database(), QStringLiteral("SYNONYM"));
        if (byKey.findKey({sydShown}))
            st::text::LoadRichFromField(redData, byKey.field(QStringLiteral("TEXT")));
        else
            sydShown = -1;
    }
    SetEditMode();
    redData->setFocus();
}

void TfrmSynonShow::btnSaveClick() {
    if (idShown <= 0 || tbcNames->currentIndex() < 0 || !papa) return;
    st::db::Database& db = *papa->database();
    const int kind = kindOf(selectedCode());
    {
        // The new key and the row go in one write transaction, so two
        // instances saving at once never take the same key.
        st::db::Transaction tr(db);
        st::db::TableCursor t(&db, QStringLiteral("SYNONYM"));
        if (sydShown > 0 && !t.findKey({sydShown})) sydShown = -1;
        if (sydShown > 0) {
            t.edit();
        } else {
            sydShown =
                int(st::db::NextKey(db, QStringLiteral("SYNONYM"), QStringLiteral("SYNONYM_ID")));
            t.insert();
            t.setField(QStringLiteral("SYNONYM_ID"), sydShown);
            t.setField(QStringLiteral("ENTRY_ID"), idShown);
            t.setField(QStringLiteral("SYN_NUMBER"), kind);
        }
        const QString plain = st::text::GetRichPlainText(redData);
        if (kind == st::db::synUKT) {
            t.setField(QStringLiteral("TEXT"), plain);
            t.setField(QStringLiteral("Plain_Text"), st::search::NormalizeUKTCodes(plain));
        } else {
            st::text::SaveRichToField(redData, t, QStringLiteral("TEXT"));
            t.setField(QStringLiteral("Plain_Text"),
                       st::text::MakePlaneString(u' ' + plain + u' '));
        }
        t.post();
        tr.commit();
    }
    FillBox(idShown, true);
}

void TfrmSynonShow::btnCancelClick() {
    FillBox(idShown, true);
}

void TfrmSynonShow::btnDeleteClick() {
    if (sydShown <= 0 || !papa) return;
    {
        st::db::Transaction tr(*papa->database());
        st::db::TableCursor t(papa->database(), QStringLiteral("SYNONYM"));
        if (t.findKey({sydShown})) t.remove();
        tr.commit();
    }
    FillBox(idShown, true);
}

}  // namespace st::detail
