#include "app/startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>

#include "app/datamodule.h"
#include "app/inifile.h"
#include "app/labelbinding.h"
#include "app/messages.h"
#include "app/resourceset.h"
#include "app/searchresults.h"
#include "detail/detail.h"
#include "pictures/editfigure.h"
#include "search/dialogs.h"
#include "search/selector.h"
#include "users/expertedit.h"
#include "users/login.h"

namespace st::app {

Program::Program(const EditionSwitches& ed) : ed_(ed) {}

Program::~Program() {
    // Windows go before the data module they read from.
    const std::initializer_list<QWidget*> windows = {
        frmUpdatePath, frmSelector,  frmZEDCode, frmDetail,       frmEditFigure,
        frmExpertEdit, frmTreeParam, frmLogin,   frmSearchResults};
    for (QWidget* w : windows) delete w;
}

void Program::createWindows() {
    frmSearchResults = new TfrmSearchResults(ed_);
    frmLogin = new st::users::TfrmLogin(ed_);
    frmTreeParam = new st::search::TfrmTreeParam;
    frmExpertEdit = new st::users::TfrmExpertEdit;
    frmEditFigure = new st::pictures::TfrmEditFigure;
    frmDetail = new st::detail::TfrmDetail;
    frmZEDCode = new st::search::TfrmZEDCode;
    frmSelector = new st::search::TfrmSelector(ed_);
    frmUpdatePath = new st::users::TfrmUpdatePath;
    frmSearchResults->setSelector(frmSelector);
    frmSearchResults->setDetailWindow(frmDetail);
    frmSearchResults->setZEDDialog(frmZEDCode);
    QObject::connect(frmLogin, &st::users::TfrmLogin::aboutRequested, frmUpdatePath,
                     &QDialog::exec);
    dmMain->addBaseOpener([this] { frmSearchResults->OpenBases(); });
    dmMain->addBaseOpener([this] { frmDetail->OpenBases(); });
}

void Program::proceedParamStr(const QStringList& args) {
    // Free words are a search text for the main window and the selector.
    // The options of new windows come with the command-line work.
    QStringList words;
    for (const QString& a : args)
        if (!a.startsWith(u'-')) words << a;
    if (words.isEmpty()) return;
    frmSearchResults->Edit1->setText(words.join(u' '));
    frmSelector->ediString->setText(words.join(u' '));
}

bool Program::start(const QString& programPath, const QStringList& args) {
    const bool loop = Flags().loopRunning;
    Flags() = AppFlags{};
    Flags().loopRunning = loop;
    SelectLanguageModule(programPath, IniFile::current());
    dmMain = std::make_unique<TdmMain>();
    createWindows();
    for (QWidget* w : QApplication::topLevelWidgets()) SetLabelClick(w);
    if (!ed_.askLogin) dmMain->StartAnonymous();
    if (!args.isEmpty()) proceedParamStr(args);
    if (ed_.askLogin && Flags().showMainForm) {
        if (frmLogin->exec() != st::users::TfrmLogin::resultOk) {
            Flags().showMainForm = false;
            RequestTermination();
        }
    }
    if (!Flags().showMainForm || Flags().terminated) return false;
    frmSearchResults->ShowMe();
    frmSearchResults->setEnabled(false);
    QCoreApplication::postEvent(frmSearchResults, new DeferredStartEvent);
    return true;
}

int Program::run(const QString& programPath, const QStringList& args) {
    Flags().loopRunning = true;
    if (!start(programPath, args)) return 0;
    return QApplication::exec();
}

}  // namespace st::app
