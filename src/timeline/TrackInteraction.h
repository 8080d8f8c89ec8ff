#pragma once

#include "timeline/TimelineData.h"
#include "timeline/TimelineUndo.h"
#include "timeline/TrackView.h"

#include <cstdint>
#include <string>

// The pointer shape the window should show.
enum class TrackCursor { arrow, sizeLeftRight, move };

// Words of the status texts; the window fills them from its resource texts.
struct TrackCaptions {
    std::string start = "Start";
    std::string end = "End";
    std::string rows[kTrackRowCount] = {"", "", "Viseme", "Expression", "Head turn", "Event", "Sound"};
};

// The editing rules of the track window without the window: selecting with the mouse, picking,
// moving and resizing items, drops from the library lists, the context menu's commands, the
// keyboard, and undo. Every change is one undo step and is announced to the timeline's observers.
class TrackInteraction {
public:
    // One step of Left and Right: a frame of the preview, 40 ms.
    static constexpr std::int64_t kFrameSamples = 640;

    TrackInteraction(TimelineData& timeline, TrackView& view, TimelineUndo& undo);

    void setCaptions(const TrackCaptions& captions) { captions_ = captions; }

    // Mouse, in client coordinates of the track area.
    void press(int x, int y);
    void drag(int x, int y);
    void release(int x, int y);
    TrackCursor hover(int x, int y);
    void leave() { hot_ = {}; }
    // Selects and activates the item under the pointer; the caller then opens its dialog.
    TrackHit doubleClick(int x, int y);
    // -1 or 1 while the pressed pointer is left or right of the area, else 0.
    int autoScrollDirection(int x) const;
    bool buttonDown() const { return buttonDown_; }
    bool dragging() const { return dragging_; }
    bool moved() const { return moved_; }

    const TrackHit& active() const { return active_; }
    const TrackHit& hot() const { return hot_; }
    void setActive(const TrackHit& item);
    void clearActive() { active_ = {}; }
    bool rowHoldsActive(int row) const { return active_.valid() && active_.row == row; }

    // Drops from the lists. With testOnly nothing changes apart from the pending drop position.
    bool dropViseme(int viseme, const std::string& shortName, int x, int y, bool testOnly);
    bool dropExpression(int expression, const std::string& name, int x, int y, bool testOnly);
    bool dropImage(const std::string& name, int x, int y, bool testOnly);
    bool dropSound(const std::string& name, std::int32_t clipLength, int x, int y, bool testOnly);
    // Where a pending image or sound drop would land, -1 when none.
    std::int64_t pendingDrop() const { return pendingDrop_; }
    // The row a drop being tested would land in (its target is drawn there), -1 when none.
    int pendingRow() const { return pendingRow_; }
    void clearPendingDrop()
    {
        pendingDrop_ = -1;
        pendingRow_ = -1;
    }

    // Inserts over the selection, as the item dialogs do on OK.
    bool insertViseme(int viseme, const std::string& shortName, int weight);
    bool insertExpression(int expression, const std::string& name, int intensity);
    bool insertHeadTurn(int angleA, int angleB, int angleC);
    // With a selection of at most one sample the item lasts the clip's own length.
    bool insertSound(const std::string& name, std::int32_t clipLength, int volume);
    bool insertScript(std::uint32_t choice, const std::string& type, const std::string& parameter);
    bool insertImageEvent(const std::string& name);
    bool insertMarker(const std::string& name);
    // Rewrites the active event in place with a new payload of the same kind.
    bool editActiveScript(std::uint32_t choice, const std::string& type, const std::string& parameter);
    bool editActiveEventName(const std::string& name);

    // Delete on a row: the active item when the row holds it, otherwise the selection range.
    bool deleteOnRow(int row);
    bool removeAllOnRow(int row);
    bool removeAllEvents(EventKind kind);
    // The Delete key: the active item, wherever it is.
    bool deleteActive();
    // Left and Right: the selection moves by a frame, kept within the voice.
    bool moveSelection(int direction);

    // Carried over from the project's collections.
    bool renameImage(const std::string& from, const std::string& to);
    bool removeImage(const std::string& name);
    bool renameSound(const std::string& from, const std::string& to);
    bool removeSound(const std::string& name);

    bool undo();
    bool redo();
    // The project is changed while the undo stack is away from its clean point.
    bool modified() const { return !undo_.isClean(); }

    const std::string& statusText() const { return status_; }
    std::string selectionText() const;
    std::string itemText(const TrackHit& item) const;

private:
    template <typename Edit> bool edit(const char* name, unsigned changes, Edit&& apply);
    void announce(unsigned changes);
    void dragItem(int x);
    template <typename Item> void dragSpan(TrackArray<Item>& track, int index, std::int64_t mouse);
    void dragEvent(std::int64_t mouse);
    void finishDrag();
    bool insideSelection(std::int64_t t) const;
    bool selectionWiderThanPixel() const;

    TimelineData& timeline_;
    TrackView& view_;
    TimelineUndo& undo_;
    TrackCaptions captions_;
    TrackHit active_;
    TrackHit hot_;
    std::int64_t anchor_ = 0;
    std::int64_t selectionAnchor_ = 0;
    bool touchesPrevious_ = false;
    bool touchesNext_ = false;
    bool buttonDown_ = false;
    bool dragging_ = false;
    bool moved_ = false;
    std::int64_t pendingDrop_ = -1;
    int pendingRow_ = -1;
    std::string status_;
};

// The TimelineChange bit of a row's track.
unsigned changeOfRow(int row);
