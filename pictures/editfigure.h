#pragma once
#include <QDialog>

namespace st::pictures {

// The picture edit dialog (filled by the picture-editing work).
class TfrmEditFigure : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmEditFigure(QWidget* parent = nullptr);
};

}  // namespace st::pictures
