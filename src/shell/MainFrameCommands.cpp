// The frame's command routing and enabling: view, help, options and the recent files here; the
// document commands in DocumentCommands.
#include "Common/ResourceIds.h"
#include "Common/ResourceLibrary.h"
#include "session/ProjectSession.h"
#include "shell/CChattermaskEditorMainFrame.h"
#include "shell/CEditDlg.h"
#include "shell/CommandActions.h"
#include "shell/DocumentCommands.h"
#include "shell/HostedWindows.h"
#include "shell/PaneHost.h"
#include "shell/ResourceUi.h"
#include "shell/ShellDialogs.h"
#include "shell/TimelineCommands.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QStatusBar>
#include <QToolBar>
#include <QUrlQuery>

using namespace res;

namespace {

bool isViewCommand(unsigned id)
{
    return id == kCmdViewToolbar || id == kCmdViewProjectWindow || id == kCmdViewListWindow ||
           id == kCmdViewStatusBar;
}

} // namespace

bool CChattermaskEditorMainFrame::isCommandEnabled(unsigned id) const
{
    if (documents_->handles(id))
        return documents_->isEnabled(id);
    if (timelineCommands_->handles(id))
        return timelineCommands_->isEnabled(id);
    if (id >= kCmdRecentFirst && id < kCmdRecentFirst + kRecentFileCount)
        return static_cast<int>(id - kCmdRecentFirst) < recent_.files().size();
    if (id == kCmdTogglePage)
        return editPanel_ && editPanel_->hasPage(CEditDlg::kHeadPage) &&
               editPanel_->hasPage(CEditDlg::kTimelinePage);
    if (hosted_ && hosted_->handles(id))
        return hosted_->isEnabled(id);
    return true;
}

void CChattermaskEditorMainFrame::updateCommandUi()
{
    for (unsigned id : actions_->commands()) {
        QAction* action = actions_->action(id);
        action->setEnabled(isCommandEnabled(id));
        if (std::optional<bool> checked = hosted_ ? hosted_->isChecked(id) : std::nullopt) {
            action->setCheckable(true);
            action->setChecked(*checked);
        }
        if (isViewCommand(id)) {
            QWidget* bar = id == kCmdViewToolbar         ? static_cast<QWidget*>(toolBar_)
                           : id == kCmdViewProjectWindow ? static_cast<QWidget*>(projectDock_)
                           : id == kCmdViewListWindow    ? static_cast<QWidget*>(listDock_)
                                                         : static_cast<QWidget*>(statusBar());
            action->setCheckable(true);
            action->setChecked(bar && !bar->isHidden());
        }
    }
    for (unsigned i = 0; i < kRecentFileCount; ++i) {
        QAction* action = actions_->action(kCmdRecentFirst + i);
        QString file = recent_.at(static_cast<int>(i));
        action->setVisible(!file.isEmpty() || i == 0);
        action->setText(file.isEmpty()
                            ? ResourceUi::text(kStrRecentEmpty)
                            : QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(file)));
    }
    if (editPanel_)
        actions_->action(kCmdTogglePage)
            ->setText(ResourceUi::text(
                editPanel_->currentPage() == CEditDlg::kTimelinePage ? kStrPageHead : kStrPageHead + 1));
}

void CChattermaskEditorMainFrame::runCommand(unsigned id)
{
    if (!isCommandEnabled(id))
        return;
    if (documents_->handles(id)) {
        documents_->run(id);
    } else if (timelineCommands_->handles(id)) {
        timelineCommands_->run(id);
    } else if (id >= kCmdRecentFirst && id < kCmdRecentFirst + kRecentFileCount) {
        openRecent(static_cast<int>(id - kCmdRecentFirst));
    } else if (hosted_ && hosted_->handles(id)) {
        hosted_->run(id);
    } else if (isViewCommand(id)) {
        runViewCommand(id);
    } else if (id == kCmdTogglePage) {
        editPanel_->showPage(editPanel_->currentPage() == CEditDlg::kHeadPage ? CEditDlg::kTimelinePage
                                                                              : CEditDlg::kHeadPage);
    } else if (id == kCmdOptions) {
        FrameOptions options = options_;
        if (dialogs_->editOptions(options, start_.editorMode != 1)) {
            settings_.writeOptions(options);
            applyOptions(options);
        }
    } else if (id == kCmdAbout) {
        dialogs_->showAbout();
    } else if (id == kCmdHelpContents) {
        openHelp("index.html");
    } else if (id == kCmdHelpIndex) {
        openHelp("guide-index.html");
    } else if (id == kCmdHelpSearch) {
        openHelp("search.html?q=culture");
    } else if (id == kCmdWebPage) {
        dialogs_->openUrl(QUrl(ResourceUi::text(kStrAboutFirst + 9)));
    } else if (id == kCmdExit) {
        close();
    }
    updateCommandUi();
}

void CChattermaskEditorMainFrame::runViewCommand(unsigned id)
{
    QWidget* bar = id == kCmdViewToolbar         ? static_cast<QWidget*>(toolBar_)
                   : id == kCmdViewProjectWindow ? static_cast<QWidget*>(projectDock_)
                   : id == kCmdViewListWindow    ? static_cast<QWidget*>(listDock_)
                                                 : static_cast<QWidget*>(statusBar());
    bar->setVisible(bar->isHidden());
}

void CChattermaskEditorMainFrame::openRecent(int index)
{
    QString file = recent_.at(index);
    if (file.isEmpty())
        return;
    if (session_->isBusy()) {
        dialogs_->showMessage(ResourceUi::text(0xE82A), ShellDialogs::Icon::information);
        return;
    }
    if (!promptSaveChanges())
        return;
    if (!documents_->openPath(file, false) && recent_.remove(file))
        settings_.writeRecentFiles(recent_.files());
}

void CChattermaskEditorMainFrame::openHelp(const QString& page)
{
    QString file = page.section('?', 0, 0);
    QString query = page.section('?', 1);
    QString path = QDir(QString::fromStdString(programFolder().string())).filePath("help/" + file);
    if (!QFileInfo::exists(path)) {
        dialogs_->showMessage(ResourceUi::format(kStrMissingHelp, path.toUtf8().constData()),
                              ShellDialogs::Icon::stop);
        return;
    }
    QUrl url = QUrl::fromLocalFile(path);
    if (!query.isEmpty())
        url.setQuery(query);
    dialogs_->openUrl(url);
}
