#include "shell/HostedWindows.h"

#include "Common/ResourceIds.h"
#include "animation/CAnimPlayer.h"
#include "animation/ui/CPreviewPanel.h"
#include "animation/ui/CPreviewWnd.h"
#include "rendering/gl/MorphCommands.h"
#include "rendering/ui/CMorphWnd.h"
#include "session/ProjectSession.h"
#include "shell/CChattermaskEditorMainFrame.h"
#include "shell/CEditDlg.h"
#include "shell/CListPanel.h"
#include "shell/FrameOptions.h"
#include "shell/PaneHost.h"
#include "shell/ResourceUi.h"
#include "timeline/ui/CLibraryListWnd.h"
#include "timeline/ui/CTrackPanel.h"
#include "timeline/ui/CTrackRegionWnd.h"
#include "timeline/TimelineUndo.h"
#include "timeline/ui/StoreLibraryActions.h"

#include <QStatusBar>

#include <algorithm>
#include <iterator>

using namespace res;

namespace {

bool isPreviewCommand(unsigned id)
{
    return (id >= kCmdPlay && id <= kCmdDemoHead) || id == kCmdMute;
}

bool isViewCommand(unsigned id)
{
    return std::find(std::begin(morphcmd::kViewCommands), std::end(morphcmd::kViewCommands),
                     static_cast<int>(id)) != std::end(morphcmd::kViewCommands);
}

// The view's commands that are a state rather than an action: their buttons show a check.
bool isViewState(unsigned id)
{
    return (id >= kCmdOrbitTool && id <= kCmdZoomBoxTool) ||
           (id >= kCmdDrawWireframe && id <= kCmdEditTool) || id == kCmdMoveXY || id == kCmdMoveZ ||
           (id >= kCmdShowCurrent && id <= kCmdShowNeutral);
}

constexpr LibraryKind kListKinds[] = {LibraryKind::visemes, LibraryKind::expressions,
                                      LibraryKind::backgrounds, LibraryKind::soundClips};

} // namespace

HostedWindows::HostedWindows(CChattermaskEditorMainFrame& frame, bool openGlViews)
    : frame_(frame), openGlViews_(openGlViews)
{
    ProjectSession& session = frame_.session();
    library_ = std::make_unique<StoreLibraryActions>(
        session.store(), session.timeline(),
        [this](const std::string& taken) { return frame_.dialogs().askNewName(taken); });
    library_->setChangedCallback([this] { windowChangedDocument(); });
    if (openGlViews && frame_.editPanel()->headHost())
        hostMorphWindow();
    if (frame_.editPanel()->timelineHost())
        hostTrackWindow();
    hostPreview();
    hostLibraryLists();
}

HostedWindows::~HostedWindows()
{
    // The windows watch the session's timeline and model and hold the library actions: they go
    // first, the preview with its player thread before everything it draws from.
    delete preview_.data();
    delete morph_.data();
    delete trackPanel_.data();
    for (auto& list : lists_)
        delete list.data();
}

CMorphWnd* HostedWindows::morphWindow() const
{
    return morph_;
}

CPreviewPanel* HostedWindows::preview() const
{
    return preview_;
}

CTrackPanel* HostedWindows::trackPanel() const
{
    return trackPanel_;
}

CTrackRegionWnd* HostedWindows::trackRegion() const
{
    return trackPanel_ ? trackPanel_->trackRegion() : nullptr;
}

CLibraryListWnd* HostedWindows::libraryList(int page) const
{
    return page >= 0 && page < static_cast<int>(std::size(lists_)) ? lists_[page].data() : nullptr;
}

void HostedWindows::hostMorphWindow()
{
    morph_ = new CMorphWnd;
    morph_->setObjectName("MorphWnd");
    morph_->setModel(frame_.session().headModel());
    connect(morph_, &CMorphWnd::modelChanged, this, &HostedWindows::windowChangedDocument);
    connect(morph_, &CMorphWnd::commandStateChanged, &frame_, &CChattermaskEditorMainFrame::updateCommandUi);
    frame_.editPanel()->headHost()->host(morph_);
}

void HostedWindows::hostTrackWindow()
{
    ProjectSession& session = frame_.session();
    trackPanel_ = new CTrackPanel(session.timeline());
    CTrackRegionWnd* region = trackPanel_->trackRegion();
    region->setLibrary(library_.get());
    library_->setTrackEditor(&region->editor());
    connect(region, &CTrackRegionWnd::modifiedChanged, this, [this](bool modified) {
        if (modified)
            windowChangedDocument();
    });
    connect(region, &CTrackRegionWnd::statusTextChanged, this,
            [this](const QString& text) { frame_.statusBar()->showMessage(text, 4000); });
    connect(region, &CTrackRegionWnd::undoStateChanged, &frame_,
            &CChattermaskEditorMainFrame::updateCommandUi);
    frame_.editPanel()->timelineHost()->host(trackPanel_);
    applyOptions(frame_.options());
}

void HostedWindows::hostPreview()
{
    ProjectSession& session = frame_.session();
    // The preview draws as the 3D view does: with OpenGL where the display has it.
    preview_ = new CPreviewPanel(nullptr, openGlViews_, frame_.processorPath());
    preview_->setObjectName("CPreviewPanel");
    preview_->setResources(&ResourceUi::library());
    preview_->setHeadModel(session.headModel());
    preview_->setStore(&session.store());
    preview_->setTimeline(&session.timeline());
    connect(preview_, &CPreviewPanel::warningMessage, this, [this](int message) {
        frame_.dialogs().showMessage(ResourceUi::text(static_cast<unsigned>(message)),
                                     ShellDialogs::Icon::warning);
    });
    if (CTrackRegionWnd* region = trackRegion()) {
        connect(preview_, &CPreviewPanel::playbackCursorMoved, region, &CTrackRegionWnd::setPlaybackCursor);
        // Space in the track window plays the selection it holds.
        connect(region, &CTrackRegionWnd::playSelectionRequested, preview_,
                [this] { preview_->playTimeline(); });
    }
    frame_.previewHost()->host(preview_);
}

void HostedWindows::hostLibraryLists()
{
    CListPanel* panel = frame_.listPanel();
    for (int page = 0; page < static_cast<int>(std::size(lists_)); ++page) {
        PaneHost* host = panel->listHost(page);
        if (!host)
            continue;
        LibraryKind kind = kListKinds[page];
        bool collection = kind == LibraryKind::backgrounds || kind == LibraryKind::soundClips;
        auto* list = new CLibraryListWnd(kind, collection ? library_.get() : nullptr);
        list->setObjectName(QStringLiteral("CLibraryListWnd%1").arg(page));
        list->setResources(&ResourceUi::library());
        list->setFailureReporter([this](const CoreStatus& status) { frame_.dialogs().showStatus(status); });
        connect(list, &CLibraryListWnd::modified, this, &HostedWindows::windowChangedDocument);
        host->host(list);
        lists_[page] = list;
    }
}

// A window changed the document in place (a drag on the head, a track edit, a list entry): the
// document is modified and the panes that show it are brought up to date.
void HostedWindows::windowChangedDocument()
{
    frame_.session().setModified(true);
    frame_.updateTitle();
    frame_.updateCommandUi();
}

bool HostedWindows::handles(unsigned id) const
{
    return isPreviewCommand(id) || isViewCommand(id) || id == kCmdUndo || id == kCmdRedo;
}

// Undo and redo belong to the page in front: the head's drags or the timeline's edits.
bool HostedWindows::timelineInFront() const
{
    return frame_.editPanel()->currentPage() == CEditDlg::kTimelinePage && trackRegion();
}

bool HostedWindows::canUndo(bool redo) const
{
    if (timelineInFront()) {
        TimelineUndo& steps = trackRegion()->undoStack();
        return redo ? steps.canRedo() : steps.canUndo();
    }
    return morph_ && (redo ? morph_->canRedo() : morph_->canUndo());
}

void HostedWindows::undo(bool redo)
{
    if (timelineInFront()) {
        redo ? trackRegion()->redo() : trackRegion()->undo();
        return;
    }
    if (redo ? morph_->redo() : morph_->undo())
        windowChangedDocument();
}

bool HostedWindows::isEnabled(unsigned id) const
{
    if (id == kCmdUndo || id == kCmdRedo)
        return canUndo(id == kCmdRedo);
    if (isPreviewCommand(id)) {
        if (!preview_ || !frame_.session().headModel())
            return false;
        if (id == kCmdPlay)
            return frame_.session().timeline().sampleCount() > 0;
        return true;
    }
    return morph_ && !timelineInFront() && morph_->isCommandEnabled(static_cast<int>(id));
}

std::optional<bool> HostedWindows::isChecked(unsigned id) const
{
    if (id == kCmdMute)
        return preview_ && preview_->isMuted();
    if (isViewCommand(id) && isViewState(id))
        return morph_ && morph_->isCommandChecked(static_cast<int>(id));
    return std::nullopt;
}

void HostedWindows::run(unsigned id)
{
    if (!isEnabled(id))
        return;
    if (id == kCmdUndo || id == kCmdRedo)
        undo(id == kCmdRedo);
    else if (isPreviewCommand(id))
        preview_->runCommand(static_cast<int>(id));
    else
        morph_->runCommand(static_cast<int>(id));
}

void HostedWindows::documentReplaced()
{
    stopPlaying();
    if (morph_)
        morph_->setModel(frame_.session().headModel());
    if (CTrackRegionWnd* region = trackRegion())
        region->resetForNewDocument();
    if (preview_)
        preview_->setTimeline(&frame_.session().timeline());
    listsChanged();
}

void HostedWindows::listsChanged()
{
    for (auto& list : lists_)
        if (list)
            list->rebuild();
}

void HostedWindows::headChanged()
{
    if (morph_)
        morph_->update();
    if (preview_)
        preview_->previewWindow().update();
}

void HostedWindows::clearModified()
{
    if (CTrackRegionWnd* region = trackRegion())
        region->setUnmodified();
}

void HostedWindows::applyOptions(const FrameOptions& options)
{
    CTrackRegionWnd* region = trackRegion();
    if (!region)
        return;
    region->setIndicatorColor(options.indicatorColor);
    region->setAmplitudeColor(options.amplitudeColor);
    region->setTimeDisplayMode(options.useMinuteUnit);
}

void HostedWindows::stopPlaying()
{
    if (preview_)
        preview_->stop();
}
