#include "shell/CChattermaskEditorMainFrame.h"

#include "Common/ResourceIds.h"
#include "Common/ResourceLibrary.h"
#include "session/ProjectSession.h"
#include "shell/CEditDlg.h"
#include "shell/CListPanel.h"
#include "shell/CTeethPanel.h"
#include "shell/CommandActions.h"
#include "shell/DocumentCommands.h"
#include "shell/TimelineCommands.h"
#include "shell/HostedWindows.h"
#include "shell/PaneHost.h"
#include "shell/QtShellDialogs.h"
#include "shell/ResourceUi.h"
#include "shell/SessionStateText.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSessionManager>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace {

constexpr int kPaneWidth = 250, kPaneHeight = 250;
constexpr int kTitleNameWidth = 200;
constexpr int kIdleMs = 250;
const QSize kPaneMinimum(120, 80);

struct ModeResources {
    unsigned menu, toolbar, hotBitmap;
};
constexpr ModeResources kModes[] = {
    {res::kMenuProject, res::kToolbarProject, res::kBitmapHotProject},
    {res::kMenuHeadDefinition, res::kToolbarHeadDefinition, res::kBitmapHotHeadDefinition},
    {res::kMenuHeadAnimation, res::kToolbarHeadAnimation, res::kBitmapHotHeadAnimation},
};

EditorMode sessionMode(int mode)
{
    return mode == 1   ? EditorMode::headDefinition
           : mode == 2 ? EditorMode::headAnimation
                       : EditorMode::project;
}

} // namespace

CChattermaskEditorMainFrame::CChattermaskEditorMainFrame(const FrameStart& start,
                                                         std::unique_ptr<ShellDialogs> dialogs,
                                                         QWidget* parent)
    : QMainWindow(parent), start_(start), settings_(start.title)
{
    start_.editorMode = std::clamp(start_.editorMode, 0, 2);
    setObjectName("CChattermaskEditorMainFrame");
    setWindowTitle(start_.title);
    setWindowIcon(QIcon(ResourceUi::bitmap(res::kBitmapAppIcon)));
    dialogs_ = dialogs ? std::move(dialogs) : std::make_unique<QtShellDialogs>(this);
    session_ =
        std::make_unique<ProjectSession>(sessionMode(start_.editorMode), *dialogs_, start_.contentRoot);
    session_->addObserver(this);
    documents_ = std::make_unique<DocumentCommands>(*this);
    timelineCommands_ = std::make_unique<TimelineCommands>(*this);
    options_ = settings_.readOptions();
    recent_.setFiles(settings_.recentFiles());

    resize(1024, 720);
    if (auto placement = settings_.normalPlacement())
        setGeometry(*placement);

    const ModeResources& mode = kModes[start_.editorMode];
    actions_ = new CommandActions(this, mode.toolbar, mode.hotBitmap);
    connect(actions_, &CommandActions::command, this, &CChattermaskEditorMainFrame::runCommand);
    connect(actions_, &CommandActions::menuAboutToShow, this, &CChattermaskEditorMainFrame::updateCommandUi);
    buildBars();
    editPanel_ = new CEditDlg(start_.editorMode, *actions_, this);
    setCentralWidget(editPanel_);
    connect(editPanel_, &CEditDlg::pageChanged, this, &CChattermaskEditorMainFrame::updateCommandUi);
    buildDocks();
    actions_->applyAccelerators(res::kAccelerators);
    if (options_.toolBarFloating)
        setToolBarFloating(true);

    if (CTeethPanel* teeth = listPanel_->teethPanel()) {
        teeth->setStore(&session_->store());
        teeth->setNameAsker(
            [this] { return dialogs_->askName(res::kStrTeethNameTitle, res::kStrTeethNamePrompt); });
        connect(teeth, &CTeethPanel::teethChanged, this, [this](const QString& upper, const QString& lower) {
            session_->setTeethPictures(upper.toStdString(), lower.toStdString());
            session_->setModified(true);
        });
    }
    hosted_ = std::make_unique<HostedWindows>(*this, start_.openGlViews);
    setAcceptDrops(true);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        // The end of the log-on asks the same question as a close; a refusal keeps the session.
        if (manager.allowsInteraction() && !promptSaveChanges()) {
            manager.cancel();
            return;
        }
        saveSettings();
    });
    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, [this] {
        session_->refreshContentFlags();
        updateCommandUi();
    });
    idle->start(kIdleMs);
    updateCommandUi();
}

CChattermaskEditorMainFrame::~CChattermaskEditorMainFrame()
{
    hosted_.reset();
    session_->removeObserver(this);
    if (CTeethPanel* teeth = listPanel_ ? listPanel_->teethPanel() : nullptr)
        teeth->setModel(nullptr);
    // "temp": the named file goes with the window, after the save-changes question was answered.
    if (start_.deleteFileOnExit && !start_.fileName.isEmpty())
        QFile::remove(start_.fileName);
}

void CChattermaskEditorMainFrame::buildBars()
{
    const ModeResources& mode = kModes[start_.editorMode];
    actions_->buildMenuBar(menuBar(), mode.menu);
    toolBar_ = new QToolBar(ResourceUi::text(res::kStrToolbar), this);
    toolBar_->setObjectName("ToolBar");
    toolBar_->setIconSize(QSize(16, 15));
    toolBar_->setMovable(true);
    actions_->buildToolBar(toolBar_, mode.toolbar);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    statusText_ = new QLabel(ResourceUi::text(res::kStrReady), this);
    statusBar()->addWidget(statusText_, 1);
    statusBar()->setObjectName("StatusBar");
}

void CChattermaskEditorMainFrame::buildDocks()
{
    projectDock_ = new QDockWidget(ResourceUi::text(res::kStrProjectWindow), this);
    projectDock_->setObjectName("Project Window");
    projectDock_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    previewHost_ = new PaneHost("CPreviewWnd", projectDock_);
    projectDock_->setWidget(previewHost_);
    listDock_ = new QDockWidget(ResourceUi::text(res::kStrListWindow), this);
    listDock_->setObjectName("List Window");
    listDock_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    listPanel_ = new CListPanel(start_.editorMode, start_.contentRoot, listDock_);
    listDock_->setWidget(listPanel_);
    addDockWidget(Qt::LeftDockWidgetArea, projectDock_);
    addDockWidget(Qt::LeftDockWidgetArea, listDock_);
    splitDockWidget(projectDock_, listDock_, Qt::Vertical);
    resizeDocks({projectDock_, listDock_}, {kPaneWidth, kPaneWidth}, Qt::Horizontal);
    resizeDocks({projectDock_}, {kPaneHeight}, Qt::Vertical);
}

void CChattermaskEditorMainFrame::restorePaneSizes()
{
    auto project = settings_.paneSize(FrameSettings::kProjectPaneId, kPaneMinimum);
    if (!project)
        return;
    resizeDocks({projectDock_, listDock_}, {project->width(), project->width()}, Qt::Horizontal);
    int total = projectDock_->height() + listDock_->height();
    int height = std::min(project->height(), total - kPaneMinimum.height());
    resizeDocks({projectDock_, listDock_}, {height, std::max(1, total - height)}, Qt::Vertical);
}

bool CChattermaskEditorMainFrame::loadFirstDocument()
{
    if (CTeethPanel* teeth = listPanel_->teethPanel())
        teeth->setModel(session_->headModel());
    session_->reset();
    bool ok = start_.fileName.isEmpty() ? documents_->newFromDefault(false)
                                        : documents_->openPath(start_.fileName, start_.openAsUntitled);
    updateTitle();
    updateCommandUi();
    return ok;
}

void CChattermaskEditorMainFrame::sessionChanged(unsigned changes)
{
    editPanel_->refresh(*session_);
    listPanel_->refresh(*session_);
    if (!previewHost_->hosted()) {
        QImage face = sessionstate::faceTexture(*session_);
        previewHost_->setPicture(
            face.isNull() ? face : face.scaled(128, 128, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        previewHost_->setStateText(ResourceUi::text(res::kStrPreviewTitle) + "\n" +
                                   sessionstate::voiceText(*session_));
    }
    if (changes & (kDocumentReplaced | kHeadChanged))
        if (CTeethPanel* teeth = listPanel_->teethPanel())
            teeth->refresh();
    if (hosted_) {
        if (changes & kDocumentReplaced)
            hosted_->documentReplaced();
        else if (changes & kListsChanged)
            hosted_->listsChanged();
        if (changes & (kHeadChanged | kTexturesChanged))
            hosted_->headChanged();
    }
    if (changes & (kTitleChanged | kDocumentReplaced | kModifiedChanged))
        updateTitle();
    updateCommandUi();
}

bool CChattermaskEditorMainFrame::anyModified() const
{
    const CTeethPanel* teeth = listPanel_->teethPanel();
    return session_->isModified() || editPanel_->isModified() || listPanel_->isModified() ||
           (teeth && teeth->isModified());
}

void CChattermaskEditorMainFrame::clearPanelsModified()
{
    editPanel_->setModified(false);
    listPanel_->setModified(false);
    if (CTeethPanel* teeth = listPanel_->teethPanel())
        teeth->setModified(false);
    if (hosted_)
        hosted_->clearModified();
}

bool CChattermaskEditorMainFrame::promptSaveChanges()
{
    if (!anyModified())
        return true;
    // A window's own change is a change of the document: the session asks over its one flag.
    bool sessionWasModified = session_->isModified();
    session_->setModified(true);
    CoreStatus status;
    if (!session_->promptSaveChanges(status)) {
        session_->setModified(sessionWasModified); // Cancel leaves every flag as it was
        dialogs_->showStatus(status);
        return false;
    }
    clearPanelsModified();
    updateTitle();
    return true;
}

void CChattermaskEditorMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Dock sizes take only once the window has its size; the first showing sets them.
    if (panesSized_)
        return;
    panesSized_ = true;
    // The dock layout settles over the first turns of the event loop; sizes given earlier are lost.
    QTimer::singleShot(30, this, [this] {
        resizeDocks({projectDock_, listDock_}, {kPaneWidth, kPaneWidth}, Qt::Horizontal);
        // Both heights are given, so that the layout does not share the change out between them.
        int total = projectDock_->height() + listDock_->height();
        int project = kPaneHeight + projectDock_->height() - previewHost_->height();
        resizeDocks({projectDock_, listDock_}, {project, std::max(1, total - project)}, Qt::Vertical);
        if (options_.keepDockWindowSize)
            restorePaneSizes();
    });
}

void CChattermaskEditorMainFrame::closeEvent(QCloseEvent* event)
{
    if (!promptSaveChanges()) {
        event->ignore();
        return;
    }
    saveSettings();
    hosted_->stopPlaying();
    event->accept();
}

void CChattermaskEditorMainFrame::saveSettings()
{
    int show = isMaximized() ? FrameSettings::kShowMaximized : isMinimized() ? 2 : FrameSettings::kShowNormal;
    settings_.writePlacement(show, geometry());
    if (options_.keepDockWindowSize) {
        settings_.writePaneSize(FrameSettings::kProjectPaneId, projectDock_->size(), projectDock_->size());
        settings_.writePaneSize(FrameSettings::kListPaneId, listDock_->size(), listDock_->size());
    }
}

void CChattermaskEditorMainFrame::updateTitle()
{
    QString name = QString::fromStdString(session_->documentPath());
    if (session_->isUntitled() || name.isEmpty()) {
        static const char* const kExtensions[] = {".cmp", ".hdp", ".hap"};
        name = ResourceUi::text(res::kStrUntitled) + kExtensions[start_.editorMode];
    }
    // The eliding measures in fractions of a pixel, so its result can round to one pixel over the width.
    const QFontMetrics metrics = fontMetrics();
    QString shown = metrics.elidedText(name, Qt::ElideMiddle, kTitleNameWidth);
    for (int width = kTitleNameWidth - 1; width > 0 && metrics.horizontalAdvance(shown) > kTitleNameWidth;
         --width)
        shown = metrics.elidedText(name, Qt::ElideMiddle, width);
    setWindowTitle(start_.title + " - [" + shown + "]" + (anyModified() ? QStringLiteral(" *") : QString()));
}

void CChattermaskEditorMainFrame::addRecentFile(const QString& path)
{
    if (recent_.add(path))
        settings_.writeRecentFiles(recent_.files());
    updateCommandUi();
}

void CChattermaskEditorMainFrame::applyOptions(const FrameOptions& options)
{
    if (options.toolBarFloating != options_.toolBarFloating)
        setToolBarFloating(options.toolBarFloating != 0);
    // The time unit and the two colours belong to the track window; it reads them from the frame
    // when it is hosted, and the timeline page repaints now.
    options_ = options;
    hosted_->applyOptions(options_);
    editPanel_->update();
}

void CChattermaskEditorMainFrame::setToolBarFloating(bool floating)
{
    if (floating) {
        QPoint at = mapToGlobal(QPoint(40, 60));
        removeToolBar(toolBar_);
        toolBar_->setParent(this, Qt::Tool | Qt::FramelessWindowHint);
        toolBar_->move(at);
        toolBar_->show();
    } else {
        toolBar_->setParent(this);
        addToolBar(Qt::TopToolBarArea, toolBar_);
        toolBar_->show();
    }
}

void CChattermaskEditorMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CChattermaskEditorMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    // Let the drop finish before a flow opens a question over it.
    QString path = urls.first().toLocalFile();
    QTimer::singleShot(0, this, [this, path] { documents_->dropFile(path); });
}
