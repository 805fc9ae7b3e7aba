#pragma once
#include <QStringList>
#include <memory>

#include "app/edition.h"

namespace st::users {
class TfrmLogin;
class TfrmExpertEdit;
class TfrmUpdatePath;
}  // namespace st::users
namespace st::search {
class TfrmTreeParam;
class TfrmZEDCode;
class TfrmSelector;
}  // namespace st::search
namespace st::detail {
class TfrmDetail;
}
namespace st::pictures {
class TfrmEditFigure;
}

namespace st::app {

class TdmMain;
class TfrmSearchResults;

// The process-wide objects, created once in start-up order and kept until
// the end: the data module and the nine windows.
class Program {
  public:
    explicit Program(const EditionSwitches& ed = kEdition);
    ~Program();

    // Start-up up to the event loop (steps 2-9): language, data module,
    // windows, label binding, user, command line, login, show and post the
    // deferred start. False when the program is to end without a loop.
    bool start(const QString& programPath, const QStringList& args);
    // The whole program: start() and then the event loop.
    int run(const QString& programPath, const QStringList& args);

    std::unique_ptr<TdmMain> dmMain;
    TfrmSearchResults* frmSearchResults = nullptr;
    st::users::TfrmLogin* frmLogin = nullptr;
    st::search::TfrmTreeParam* frmTreeParam = nullptr;
    st::users::TfrmExpertEdit* frmExpertEdit = nullptr;
    st::pictures::TfrmEditFigure* frmEditFigure = nullptr;
    st::detail::TfrmDetail* frmDetail = nullptr;
    st::search::TfrmZEDCode* frmZEDCode = nullptr;
    st::search::TfrmSelector* frmSelector = nullptr;
    st::users::TfrmUpdatePath* frmUpdatePath = nullptr;

  private:
    void createWindows();
    void proceedParamStr(const QStringList& args);
    EditionSwitches ed_;
};

}  // namespace st::app
