#include "detail/detail.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "app/formlayout.h"

namespace st::detail {

TfrmDetail::TfrmDetail(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmDetail"));
    auto* v = new QVBoxLayout(this);
    pgcDetail = new QTabWidget(this);
    pgcDetail->setObjectName(QStringLiteral("pgcDetail"));
    v->addWidget(pgcDetail);
    resize(640, 520);
    FormCreate();
}

void TfrmDetail::FormCreate() {
    showPicEdit = false;
    st::app::ApplyLayout(this, QStringLiteral("TfrmDetail"));
}

void TfrmDetail::OpenBases() {}

}  // namespace st::detail
