#pragma once
#include <QWidget>

class QTabWidget;

namespace st::detail {

// The detail window: one entry's text, codes, law, terms, pictures, notes.
class TfrmDetail : public QWidget {
    Q_OBJECT
  public:
    explicit TfrmDetail(QWidget* parent = nullptr);
    void FormCreate();
    // Wiring once the database is open.
    void OpenBases();

    bool showPicEdit = false;
    QTabWidget* pgcDetail;
};

}  // namespace st::detail
