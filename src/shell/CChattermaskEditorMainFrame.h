#pragma once

#include "session/SessionObserver.h"
#include "shell/FrameOptions.h"
#include "shell/FrameSettings.h"
#include "shell/RecentFileList.h"
#include "shell/ShellDialogs.h"

#include <QMainWindow>
#include <QPointer>

#include <filesystem>
#include <functional>
#include <memory>

class CEditDlg;
class CListPanel;
class CommandActions;
class DocumentCommands;
class HostedWindows;
class PaneHost;
class ProjectSession;
class ShellDialogs;
class TimelineCommands;
class QDockWidget;
class QLabel;
class QToolBar;
struct RecordingTake;

// What start-up hands to the frame.
struct FrameStart {
    int processorPath = 0;
    int editorMode = 0; // 0 project, 1 head definition, 2 head animation; fixed for the run
    bool openAsUntitled = true;
    bool deleteFileOnExit = false;
    QString fileName;
    std::filesystem::path contentRoot;
    QString title;           // the editor's title, also the name its settings are kept under
    bool openGlViews = true; // false on a platform without OpenGL: the head page shows the state
};

// The main frame of every editor: menu bar, toolbar, status bar, the "Project Window" and "List
// Window" panes on the left and the edit panel in the middle. It owns the session for the whole
// run, routes every command and keeps the settings. The document flows themselves are the session's.
class CChattermaskEditorMainFrame : public QMainWindow, public SessionObserver {
    Q_OBJECT
public:
    // `dialogs` answers every question; null installs the real message boxes and dialogs.
    explicit CChattermaskEditorMainFrame(const FrameStart& start,
                                         std::unique_ptr<ShellDialogs> dialogs = nullptr,
                                         QWidget* parent = nullptr);
    ~CChattermaskEditorMainFrame() override;

    // Opens the command line's file, or a new document from the male default content.
    bool loadFirstDocument();

    ProjectSession& session() { return *session_; }
    ShellDialogs& dialogs() { return *dialogs_; }
    CommandActions& actions() { return *actions_; }
    DocumentCommands& documents() { return *documents_; }
    TimelineCommands& timelineCommands() { return *timelineCommands_; }
    const FrameStart& start() const { return start_; }
    int editorMode() const { return start_.editorMode; }
    int processorPath() const { return start_.processorPath; }
    CEditDlg* editPanel() const { return editPanel_; }
    CListPanel* listPanel() const { return listPanel_; }
    PaneHost* previewHost() const { return previewHost_; }
    QDockWidget* projectDock() const { return projectDock_; }
    QDockWidget* listDock() const { return listDock_; }
    QToolBar* toolBar() const { return toolBar_; }
    FrameSettings& settings() { return settings_; }
    const FrameOptions& options() const { return options_; }
    RecentFileList& recentFiles() { return recent_; }
    HostedWindows& hostedWindows() { return *hosted_; }

    // Runs a command as its menu entry would; a disabled command does nothing.
    void runCommand(unsigned id);
    bool isCommandEnabled(unsigned id) const;
    // Re-runs every command's enabling and check rule.
    void updateCommandUi();

    // The save-changes question over every modified flag; false when the calling command must stop.
    bool promptSaveChanges();
    bool anyModified() const;
    void clearPanelsModified();

    // Applies each option that differs from the current ones.
    void applyOptions(const FrameOptions& options);
    void addRecentFile(const QString& path);
    void updateTitle();
    // The window placement and, when asked for, the pane sizes.
    void saveSettings();

    // Windows of other parts of the program plug in here once they exist: the recorder dialog
    // (true with a take when the user recorded) and the Windows Media export.
    std::function<bool(RecordingTake&)> recorder;
    std::function<void()> mediaExport;

    void sessionChanged(unsigned changes) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildBars();
    void buildDocks();
    void restorePaneSizes();
    void setToolBarFloating(bool floating);
    void runViewCommand(unsigned id);
    void openRecent(int index);
    void openHelp(const QString& page);

    FrameStart start_;
    FrameSettings settings_;
    FrameOptions options_;
    RecentFileList recent_;
    std::unique_ptr<ShellDialogs> dialogs_;
    std::unique_ptr<ProjectSession> session_;
    std::unique_ptr<DocumentCommands> documents_;
    std::unique_ptr<TimelineCommands> timelineCommands_;
    std::unique_ptr<HostedWindows> hosted_;
    CommandActions* actions_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QDockWidget* projectDock_ = nullptr;
    QDockWidget* listDock_ = nullptr;
    PaneHost* previewHost_ = nullptr;
    CEditDlg* editPanel_ = nullptr;
    CListPanel* listPanel_ = nullptr;
    QLabel* statusText_ = nullptr;
    bool panesSized_ = false;
};
