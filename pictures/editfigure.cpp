#include "pictures/editfigure.h"

#include "app/formlayout.h"

namespace st::pictures {

TfrmEditFigure::TfrmEditFigure(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEditFigure"));
    resize(480, 400);
    st::app::ApplyLayout(this, QStringLiteral("TfrmEditFigure"));
}

}  // namespace st::pictures
