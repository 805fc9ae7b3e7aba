#include "detail/nameshower.h"

#include <QVBoxLayout>

#include "text/richfields.h"
#include "text/richview.h"

namespace st::detail {

TfamNameShower::TfamNameShower(QWidget* parent) : TfamViewer(parent) {
    setObjectName(QStringLiteral("famNameShower"));
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    redData = new st::text::TRichView(this);
    redData->setObjectName(QStringLiteral("redData"));
    redData->setReadOnly(true);
    redData->document()->setDefaultFont(QFont(QStringLiteral("Tahoma")));
    box->addWidget(redData);
}

void TfamNameShower::FillBox(int id, bool) {
    if (!papa) return;
    const int rec = papa->FindHeadRec(id, true);
    if (rec == rpoShown) return;
    rpoShown = rec;
    redData->clear();
    if (rec < 0 || papa->liHeads[rec].rev_id <= 0) return;
    papa->OpenTable();
    if (papa->tblEntries.findKey({papa->liHeads[rec].rev_id}))
        st::text::LoadRichFromField(redData, papa->tblEntries.field(FieldName));
    papa->CloseTable();
}

}  // namespace st::detail
