#pragma once
#include <QColor>
#include <QList>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "db/query.h"
#include "db/tablecursor.h"
#include "tree/showers.h"
#include "tree/treeload.h"
#include "tree/treemodel.h"

class QTreeView;
class QCheckBox;
class QGroupBox;

namespace st::tree {

enum TLAutoExpand { laxAuto, laxNo, laxAlways };

// The caption builder hook: (record, title) -> caption.
using TTreeMaker = std::function<QString(const st::db::Query& qry, const QString& title)>;

// The entry tree frame: the tree of list entries, the shared cursor over
// List_Entries, the list heads with their visibility and the viewer registry.
class TfamTreeV : public QWidget {
    Q_OBJECT
  public:
    explicit TfamTreeV(QWidget* parent = nullptr);
    ~TfamTreeV() override;

    // Binds the frame's cursor and queries to a connection.
    void SetDatabase(st::db::Database* db);
    st::db::Database* database() const { return db_; }
    void setLanguageNumber(int n) { languageNumber_ = n; }

    QTreeView* trList;
    EntryTreeModel* model() const { return model_; }
    st::db::Query qrySelectAll;
    st::db::TableCursor tblEntries;
    st::db::Query qryGetHeads;
    st::db::Query quePicChild;
    int lckEntries = 0;
    QList<arrArShower> liShower;
    int kvShower() const { return int(liShower.size()); }
    TTreeMaker TreeItemMaker;
    bool isBlockShow = false;
    int id_shown = -1;
    QList<TLRevsInfo> liHeads;
    QString liVisibles = QStringLiteral("0,entry_id");
    bool liShowHeads = true;
    int liMaxLev = 0;
    int liSaved_id = -1, liSaved_po = -1;
    bool showExpanded = false;
    bool FullShown = false;
    const QStringList* shabs = nullptr;
    QColor FoundColor = QColor(255, 0, 0);
    int CodePage = 1251, DefaultPage = 1251;
    int CharSet = 1;

    // Counted use of the shared cursor; after the outermost close it is open
    // again with a fresh state, so callers seek before reading.
    void OpenTable();
    void CloseTable();

    void FillHeads();
    // Rewrites the revision filter "Revision_id in (...)" (first occurrence).
    void ChangeSQL(st::db::Query& q) const;
    QString ChangeSQL(const QString& text) const;
    void FillTree1(st::db::Query& queEcc, TLAutoExpand rulExpand);
    void FillTree0(st::db::Query& queEcc, TLAutoExpand rulExpand);
    int FindHeadRec(int nid, bool isCacheIt);
    void UpdateHeadsFromTree();
    QString MakeTreeString(const st::db::Query& qry, const QString& sti) const;
    QString GetFieldText(const QString& column) const;
    void SetFieldText(const QString& column, const QString& text);
    void SetCharsets(const QString& desc);

    // List visibility.
    void Make_liVisibles();
    void BuildRevisionScreen(QWidget* scbDest);
    void GetRevisionVisibility();

    // Viewer registry.
    void addShower(const proArShower& shw);
    void silentShower(const proArShower& shw);
    void removeShower(const proArShower& shw);
    bool isRegisteredShower(const proArShower& shw) const;
    void ShowEntry(int id, bool reload);
    void NotifyAll(int id, bool reload);

    // Display and navigation.
    void trListChange();
    void MarkFirst();
    void MarkLast();
    void MarkNext();
    void MarkPrevious();
    int GetNodeByID(int cuid) const;  // node index or -1
    int selectedNode() const;
    void selectNode(int node);  // makes it visible and announces it
    void MarkHavingPictures(int cuid);
    void MarkNoPictures(int cuid);

    // Text normalisation, shared with searching and highlighting.
    static QString MakePlaneString(const QString& sti);
    static QString MakeSearchShab(const QString& sti);

    // The caption text of a node and the hits drawn in it: (start from 0, length).
    QList<std::pair<int, int>> captionHits(const QString& caption) const;

  private:
    void clearSelection();
    int findHit(int from, int step) const;

    st::db::Database* db_ = nullptr;
    EntryTreeModel* model_;
    int languageNumber_ = 0;
};

// Repaint suspended for the lifetime of the object.
class RepaintSuspender {
  public:
    explicit RepaintSuspender(QWidget* w);
    ~RepaintSuspender();

  private:
    QWidget* w_;
    bool was_;
};

}  // namespace st::tree
