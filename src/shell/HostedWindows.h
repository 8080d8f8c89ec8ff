#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class CChattermaskEditorMainFrame;
class CLibraryListWnd;
class CMorphWnd;
class CPreviewPanel;
class CTrackPanel;
class CTrackRegionWnd;
class StoreLibraryActions;
struct FrameOptions;

// The windows other parts of the program build, put into the frame's places and tied to its
// session: the 3D editing view on the head page, the track window on the timeline page, the
// preview in "Project Window" and the four library lists. Each editor gets the ones its pages show.
// The frame asks here for the commands those windows answer.
class HostedWindows : public QObject {
    Q_OBJECT
public:
    // Not a child of the frame: the frame ends it before its session goes. `openGlViews` false leaves the
    // head page showing the head's state: the 3D view needs a display with OpenGL.
    HostedWindows(CChattermaskEditorMainFrame& frame, bool openGlViews);
    ~HostedWindows() override;

    CMorphWnd* morphWindow() const;
    CPreviewPanel* preview() const;
    CTrackPanel* trackPanel() const;
    CTrackRegionWnd* trackRegion() const;
    CLibraryListWnd* libraryList(int page) const;

    // The commands of the preview and of the 3D view.
    bool handles(unsigned id) const;
    bool isEnabled(unsigned id) const;
    // Nothing when the command has no check state.
    std::optional<bool> isChecked(unsigned id) const;
    void run(unsigned id);

    // A new, opened or reset document: every window starts over on it.
    void documentReplaced();
    void listsChanged();
    void headChanged();
    // After a save, or when the save-changes question let the changes go.
    void clearModified();
    // The track window's colours and time unit.
    void applyOptions(const FrameOptions& options);
    // Ends a play, so that the document can be closed or replaced.
    void stopPlaying();

private:
    void hostMorphWindow();
    void hostTrackWindow();
    void hostPreview();
    void hostLibraryLists();
    void windowChangedDocument();
    bool timelineInFront() const;
    bool canUndo(bool redo) const;
    void undo(bool redo);

    CChattermaskEditorMainFrame& frame_;
    bool openGlViews_;
    std::unique_ptr<StoreLibraryActions> library_;
    QPointer<CMorphWnd> morph_;
    QPointer<CPreviewPanel> preview_;
    QPointer<CTrackPanel> trackPanel_;
    QPointer<CLibraryListWnd> lists_[4];
};
