#pragma once

#include "face/CHeadModel.h"
#include "rendering/gl/CGLRenderer.h"

#include <deque>
#include <functional>
#include <vector>

// The editing logic of the 3D view, free of any window toolkit: tool modes and temporary modes, camera
// moves by mouse, hover picking, drags of vertices, lines and the fitting box, the fitting that follows,
// undo and redo, the view's commands and its paint. A window forwards its events here (with its OpenGL
// context current) and repaints when a handler returns true. Window coordinates have y from the top.
class CMorphEditor {
public:
    enum Tool { kNoTool = 0, kOrbit = 1, kPan = 2, kZoom = 3, kZoomRectangle = 4, kEdit = 5 };
    enum Key { kKeySpace, kKeyControl, kKeyShift };
    // Cursor resources of the tools; kCursorArrow and kCursorWait are the standard ones.
    static constexpr int kCursorArrow = 0;
    static constexpr int kCursorWait = -1;
    static constexpr int kUndoDepth = 100;
    static constexpr float kMinBoxThickness = 5.0f;

    CMorphEditor() = default;
    CMorphEditor(const CMorphEditor&) = delete;
    CMorphEditor& operator=(const CMorphEditor&) = delete;

    // On the current context: the renderer in draw mode 2, orthographic, camera fitted to the model.
    bool createRenderer(std::function<void()> swapBuffers = {});
    void destroyRenderer();
    CGLRenderer& renderer() { return renderer_; }

    // With `normalise`, the head is first scaled and placed as the fitting expects and its reference
    // saved. Clears undo and redo.
    void setModel(CHeadModel* model, bool normalise);
    CHeadModel* model() const { return model_; }

    void resize(int width, int height);
    void paint();

    // Event handlers; each returns true when the view must repaint.
    bool mouseMove(int x, int y);
    bool buttonDown(int x, int y);
    bool buttonUp(int x, int y);
    bool keyUp(Key key);
    bool leave();
    // Positive notches zoom in about the pointer.
    bool wheel(int x, int y, double notches);

    bool runCommand(int id);
    bool isCommandEnabled(int id) const;
    bool isCommandChecked(int id) const;
    bool undo();
    bool redo();
    bool canUndo() const;
    bool canRedo() const;

    int tool() const { return tool_; }
    int subMode() const { return subMode_; }
    bool dragging() const { return buttonDown_; }
    bool temporaryModeActive() const { return temporary_; }
    bool showLines() const { return showLines_; }
    bool busy() const;
    int cursorResource() const;
    int hoverClass() const { return hoverClass_; }
    int hoverIndex() const { return hoverIndex_; }
    const Vec3f& boxMin() const { return boxMin_; }
    const Vec3f& boxMax() const { return boxMax_; }
    // Called after every change this view makes to the model (a finished drag, undo, a command).
    void setModelChangedHandler(std::function<void()> handler) { modelChanged_ = std::move(handler); }

    // Pick at a window point as hover does; for tests and for the view's own use.
    void pickAt(int x, int y, int& pickClass, int& pickIndex);
    // Window point of a model position (y from the top).
    bool windowPoint(const Vec3f& position, double& x, double& y);

private:
    struct Segment {
        int a, b, number;
    };
    // The model's positions and, where valid, its two stored sets.
    struct Snapshot {
        std::vector<Vec3f> current, stored[kStoredSetCount];
        bool valid[kStoredSetCount] = {false, false};
    };
    struct UndoEntry {
        Snapshot before, after;
        bool drag = false;
    };
    enum class DragTarget { None, Vertex, Line, BoxCorner, Box };

    bool startTemporaryMode(int tool);
    bool setTool(int tool);
    void collectSegments();
    void fitBoxToMesh();
    void mapPhoto();
    Snapshot snapshot() const;
    void restore(const Snapshot& snapshot);
    void pushUndo(Snapshot before, bool drag);
    void notifyModelChanged();
    bool changeModel(const std::function<bool()>& change);
    void beginEditDrag(int x, int y);
    void dragBy(int dx, int dy);
    void endEditDrag();
    void moveVertices(const std::vector<int>& vertices, const Vec3f& by);
    void moveBoxCorner(int corner, const Vec3f& by);
    void drawPickables(bool picking);
    const Vec3f* shownPositions() const;
    bool editable() const;
    void clampToView(int& x, int& y) const;

    CGLRenderer renderer_;
    CHeadModel* model_ = nullptr;
    int width_ = 1, height_ = 1;
    int tool_ = kEdit;
    int savedTool_ = kEdit;
    bool temporary_ = false;
    int subMode_ = 0;
    bool showLines_ = true;
    bool pointerInside_ = false;
    bool buttonDown_ = false;
    int pressX_ = 0, pressY_ = 0, lastX_ = 0, lastY_ = 0, currentX_ = 0, currentY_ = 0;
    int hoverClass_ = 0, hoverIndex_ = -1;
    std::vector<Segment> segments_;
    std::vector<int> endVertices_;
    Vec3f boxMin_, boxMax_;
    DragTarget dragTarget_ = DragTarget::None;
    int dragIndex_ = -1;
    Vec3f horizontalAxis_, verticalAxis_;
    double pixelsPerUnit_ = 1.0;
    bool dragMoved_ = false;
    Snapshot dragBefore_;
    std::deque<UndoEntry> undo_, redo_;
    std::function<void()> modelChanged_;
};
