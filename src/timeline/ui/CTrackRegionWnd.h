#pragma once

#include "timeline/TimelineObserver.h"
#include "timeline/TimelineUndo.h"
#include "timeline/TrackInteraction.h"
#include "timeline/TrackView.h"
#include "timeline/WaveformPeaks.h"
#include "timeline/WavVoiceReader.h"
#include "timeline/ui/LibraryActions.h"
#include "timeline/ui/TrackRowPainter.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

class QMenu;
class QScrollBar;
class QTimer;
class TimelineData;

// The MIME type of an entry dragged from a library list: "<kind> <index>".
inline constexpr const char* kLibraryMimeType = "application/x-chattermask-library-entry";

// The track area: the time ruler, the voice's waveform and the five tracks of the timeline against
// one time axis, with a horizontal scroll bar. Selects, picks, moves and resizes items with the
// mouse, edits through a context menu and dialogs, and takes entries dropped from the library
// lists. Every change is an undo step; the window repaints when the timeline says it changed.
class CTrackRegionWnd : public QWidget, public TimelineObserver {
    Q_OBJECT
public:
    explicit CTrackRegionWnd(TimelineData& timeline, QWidget* parent = nullptr);
    ~CTrackRegionWnd() override;

    // Names of pictures and clips for the dialogs, and the clips' lengths; may be null.
    void setLibrary(const LibraryActions* library);
    void setCaptions(const TrackCaptions& captions) { editor_.setCaptions(captions); }

    TrackView& view() { return view_; }
    TrackInteraction& editor() { return editor_; }
    TimelineUndo& undoStack() { return undo_; }

    // 0 fits the voice, -1 the selection, otherwise samples per pixel.
    void zoom(int n);
    bool zoomInRange(int lo, int hi) const { return view_.zoomInRange(lo, hi); }
    void setIndicatorColor(std::uint32_t bgr);
    void setAmplitudeColor(std::uint32_t bgr);
    void setTimeDisplayMode(int mode);

    bool isModified() const { return editor_.modified(); }
    // After a save: the current state is the clean one.
    void setUnmodified();
    // A new document was loaded into the timeline: no undo history, the whole voice in view.
    void resetForNewDocument();
    // A command outside the window refilled tracks (through the undo history): the item picked before
    // may be gone, so the pick is dropped and the window catches up with the history and the tracks.
    void tracksReplaced();

    // The drop of library entry `index` of `kind` at a point of this window; with testOnly it only
    // answers whether the drop would be taken.
    bool dropEntry(LibraryKind kind, int index, QPoint point, bool testOnly);

    // The context menu of a row (2 to 6), its actions carrying their command numbers as data;
    // null for the other rows. The caller owns it.
    QMenu* buildRowMenu(int row, QWidget* parent);
    // Runs a command of the context menu by its number.
    void runCommand(int command);

    // The track area as it is on screen now, for pictures and benchmarks.
    QImage composedImage();
    // Redraws every row into the row picture, as a resize or zoom does.
    void redrawAllRows();

    void timelineChanged(unsigned changes) override;

public slots:
    // The preview's playback position in milliseconds; 0 hides the cursor.
    void setPlaybackCursor(int milliseconds);
    void undo();
    void redo();

signals:
    void statusTextChanged(const QString& text);
    void modifiedChanged(bool modified);
    // Space: the preview should play the selection (in samples).
    void playSelectionRequested(int startSample, int endSample);
    // The undo and redo names changed (for the Edit menu's texts).
    void undoStateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void rebuildPictures();
    void composeFrame();
    void syncScrollBar();
    void afterInteraction();
    void autoScrollTick();
    bool readVoice(std::int64_t from, std::int64_t count, std::vector<std::int16_t>& samples);
    void openItemDialog(const TrackHit& item);
    std::int32_t clipLengthByName(const std::string& name) const;
    int clipIndexByName(const std::string& name) const;
    TrackHit shownActive() const;

    TimelineData& timeline_;
    TrackView view_;
    TimelineUndo undo_;
    TrackInteraction editor_;
    const LibraryActions* library_ = nullptr;
    TrackPaintStyle style_;
    QScrollBar* scrollBar_ = nullptr;
    QTimer* autoScroll_ = nullptr;
    int lastMouseX_ = 0;
    int lastDragX_ = -1;
    QImage rows_;
    QImage compose_;
    unsigned dirtyRows_ = 0xFF;
    WaveformPeaks peaks_;
    CWavVoiceReader reader_;
    int cursorMs_ = 0;
    bool lastModified_ = false;
    bool syncingScroll_ = false;
};
