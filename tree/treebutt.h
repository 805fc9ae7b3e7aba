#pragma once
#include <QWidget>

class QPushButton;
class QTreeView;

namespace st::tree {

class TfamTreeV;

// The level buttons above the tree: "1" ... "5", "Все", "-", "+".
class TfamTreeButt : public QWidget {
    Q_OBJECT
  public:
    explicit TfamTreeButt(QWidget* parent = nullptr);
    void RegisterMe(TfamTreeV* cpa);

    // Level n (1 ... 5): levels below n - 1 open, level n - 1 closed.
    void ShowLevel(int n);
    void btnLevelAllClick();
    void btnGrandCollapseClick();
    void btnGrandExpandClick();

    QPushButton *btnLevel1, *btnLevel2, *btnLevel3, *btnLevel4, *btnLevel5;
    QPushButton *btnLevelAll, *btnGrandCollapse, *btnGrandExpand;
    TfamTreeV* papa = nullptr;
    QTreeView* trList = nullptr;
};

}  // namespace st::tree
