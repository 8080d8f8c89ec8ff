// The editing logic of the 3D view on the default head, driven as a window drives it, on an offscreen
// context: drags and the fitting after them, undo, the box's thickness, temporary modes and the busy model.
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "rendering/gl/CMorphEditor.h"
#include "rendering/gl/EglOffscreenContext.h"
#include "rendering/gl/MorphCommands.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kSide = 400;

struct LineSegment {
    int a, b, number;
};

class MorphEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!context_.open(kSide, kSide))
            GTEST_SKIP() << context_.error();
        model_ = readHeadFile(testsupport::dataDir() / ".." / ".." / "content" / "Models" / "MaleHead.cmm");
        ASSERT_TRUE(model_);
        editor_.resize(kSide, kSide);
        editor_.setModel(model_.get(), true);
        ASSERT_TRUE(editor_.createRenderer());
        editor_.setModelChangedHandler([this] { ++changes_; });
    }

    std::vector<Vec3f> positions() const
    {
        return {model_->currentPositions(), model_->currentPositions() + model_->vertexCount()};
    }

    std::vector<LineSegment> segments() const
    {
        std::vector<LineSegment> out;
        model_->visitEditingLines(
            [](void* context, int a, int b, int number) {
                static_cast<std::vector<LineSegment>*>(context)->push_back({a, b, number});
                return 1;
            },
            &out);
        return out;
    }

    // The window point of a segment's middle, where hovering finds the line and not its ends.
    void middleOf(const LineSegment& s, int& x, int& y)
    {
        Vec3f a, b;
        model_->getVertex(s.a, a);
        model_->getVertex(s.b, b);
        double wx = 0, wy = 0;
        editor_.windowPoint({(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2}, wx, wy);
        x = static_cast<int>(wx), y = static_cast<int>(wy);
    }

    // A segment whose middle the pick finds as its line, long enough to be grabbed in the middle.
    bool findGrabbableLine(LineSegment& found, int& x, int& y)
    {
        for (const LineSegment& s : segments()) {
            middleOf(s, x, y);
            int pickClass = 0, index = -1;
            editor_.pickAt(x, y, pickClass, index);
            if (pickClass == CGLRenderer::kPickLine && index == s.number) {
                found = s;
                return true;
            }
        }
        return false;
    }

    void drag(int fromX, int fromY, int dx, int dy, int steps = 4)
    {
        editor_.mouseMove(fromX, fromY);
        editor_.buttonDown(fromX, fromY);
        for (int k = 1; k <= steps; ++k)
            editor_.mouseMove(fromX + dx * k / steps, fromY + dy * k / steps);
        editor_.buttonUp(fromX + dx, fromY + dy);
    }

    EglOffscreenContext context_;
    std::unique_ptr<CHeadModel> model_;
    CMorphEditor editor_;
    int changes_ = 0;
};

bool samePositions(const std::vector<Vec3f>& a, const std::vector<Vec3f>& b)
{
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z)
            return false;
    return a.size() == b.size();
}

// Dragging a line moves every vertex of its segments by the drag, the free vertices follow by the
// fitting, and revert, undo and redo restore either state bit for bit.
TEST_F(MorphEditorTest, LineDragMovesTheLineAndTheFittingCarriesTheRestUndoRestoresExactly)
{
    LineSegment line{};
    int x = 0, y = 0;
    ASSERT_TRUE(findGrabbableLine(line, x, y));
    const std::vector<Vec3f> before = positions();
    EXPECT_FALSE(editor_.isCommandEnabled(morphcmd::kRevertDrag));
    drag(x, y, 30, -20);
    const std::vector<Vec3f> after = positions();
    EXPECT_EQ(changes_, 1);
    std::vector<bool> onLine(before.size(), false), endsALine(before.size(), false);
    for (const LineSegment& s : segments()) {
        endsALine[static_cast<size_t>(s.a)] = endsALine[static_cast<size_t>(s.b)] = true;
        if (s.number == line.number)
            onLine[static_cast<size_t>(s.a)] = onLine[static_cast<size_t>(s.b)] = true;
    }
    int movedFree = 0;
    Vec3f shift{};
    bool first = true;
    for (size_t i = 0; i < before.size(); ++i) {
        Vec3f d{after[i].x - before[i].x, after[i].y - before[i].y, after[i].z - before[i].z};
        if (onLine[i]) {
            if (first)
                shift = d, first = false;
            EXPECT_NEAR(d.x, shift.x, 1e-4) << "every vertex of the line moves alike";
            EXPECT_NEAR(d.y, shift.y, 1e-4);
            EXPECT_EQ(d.z, 0.0f) << "sub-mode 0 moves in x and y";
        } else if (endsALine[i]) {
            EXPECT_TRUE(d.x == 0 && d.y == 0 && d.z == 0) << "other lines stay";
        } else if (std::fabs(d.x) + std::fabs(d.y) > 1e-3f) {
            ++movedFree;
        }
    }
    EXPECT_GT(shift.x, 0.5f) << "to the right on screen is +x from the front";
    EXPECT_GT(shift.y, 0.3f) << "up on screen is +y";
    EXPECT_GT(movedFree, 10);

    ASSERT_TRUE(editor_.isCommandEnabled(morphcmd::kRevertDrag));
    ASSERT_TRUE(editor_.runCommand(morphcmd::kRevertDrag));
    EXPECT_TRUE(samePositions(positions(), before));
    EXPECT_FALSE(editor_.isCommandEnabled(morphcmd::kRevertDrag));
    ASSERT_TRUE(editor_.redo());
    EXPECT_TRUE(samePositions(positions(), after));
    ASSERT_TRUE(editor_.undo());
    EXPECT_TRUE(samePositions(positions(), before));
    EXPECT_FALSE(editor_.undo());
}

// Every drag is undone in turn, not only the last one.
TEST_F(MorphEditorTest, UndoWalksBackThroughEveryDrag)
{
    LineSegment line{};
    int x = 0, y = 0;
    ASSERT_TRUE(findGrabbableLine(line, x, y));
    std::vector<std::vector<Vec3f>> states{positions()};
    for (int k = 0; k < 3; ++k) {
        middleOf(line, x, y);
        drag(x, y, 8, 6);
        states.push_back(positions());
        EXPECT_FALSE(samePositions(states[states.size() - 2], states.back()));
    }
    for (int k = 2; k >= 0; --k) {
        ASSERT_TRUE(editor_.undo());
        EXPECT_TRUE(samePositions(positions(), states[static_cast<size_t>(k)])) << k;
    }
    for (int k = 1; k <= 3; ++k) {
        ASSERT_TRUE(editor_.redo());
        EXPECT_TRUE(samePositions(positions(), states[static_cast<size_t>(k)])) << k;
    }
}

// A corner dragged across the box leaves it 5 units thick, and the mesh fills the box.
TEST_F(MorphEditorTest, BoxCornerDragKeepsTheBoxFiveUnitsThickAndTheMeshInIt)
{
    const struct {
        const char* name;
        int corner;
        int dx, dy;
    } cases[] = {{"max x corner far left", 1, -3000, 0},
                 {"max y corner far down", 3, 0, 3000},
                 {"min corner far right and up", 0, 3000, -3000},
                 {"modest grow", 3, 15, -15}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int vertexCount = model_->vertexCount();
        Vec3f low = editor_.boxMin(), high = editor_.boxMax();
        Vec3f corner{c.corner & 1 ? high.x : low.x, c.corner & 2 ? high.y : low.y,
                     c.corner & 4 ? high.z : low.z};
        double wx = 0, wy = 0;
        editor_.windowPoint(corner, wx, wy);
        int pickClass = 0, index = -1;
        editor_.pickAt(static_cast<int>(wx), static_cast<int>(wy), pickClass, index);
        ASSERT_EQ(pickClass, CGLRenderer::kPickPoint);
        ASSERT_EQ(index, vertexCount + c.corner);
        // Far drags run out of the window and are held at its edge, so they take several presses.
        for (int k = 0; k < 4; ++k) {
            editor_.windowPoint({c.corner & 1 ? editor_.boxMax().x : editor_.boxMin().x,
                                 c.corner & 2 ? editor_.boxMax().y : editor_.boxMin().y,
                                 c.corner & 4 ? editor_.boxMax().z : editor_.boxMin().z},
                                wx, wy);
            drag(static_cast<int>(wx), static_cast<int>(wy), c.dx / 4, c.dy / 4, 8);
        }
        Vec3f high2, low2, span;
        model_->extents(high2, low2, span);
        EXPECT_GE(span.x, CMorphEditor::kMinBoxThickness - 1e-3f);
        EXPECT_GE(span.y, CMorphEditor::kMinBoxThickness - 1e-3f);
        EXPECT_GE(span.z, CMorphEditor::kMinBoxThickness - 1e-3f);
        EXPECT_NEAR(editor_.boxMax().x - editor_.boxMin().x, span.x, 1e-3);
        EXPECT_NEAR(editor_.boxMin().y, low2.y, 1e-3);
    }
}

// Space, Ctrl and Shift hold pan, orbit and zoom; their own key brings the tool back, another does not.
TEST_F(MorphEditorTest, TemporaryModesLastWhileTheirKeyIsHeld)
{
    using namespace morphcmd;
    EXPECT_FALSE(editor_.runCommand(kTemporaryPan)) << "only with the pointer over the view";
    editor_.mouseMove(10, 10);
    const struct {
        int command;
        int tool;
        CMorphEditor::Key wrongKey, rightKey;
    } cases[] = {{kTemporaryPan, CMorphEditor::kPan, CMorphEditor::kKeyShift, CMorphEditor::kKeySpace},
                 {kTemporaryOrbit, CMorphEditor::kOrbit, CMorphEditor::kKeySpace, CMorphEditor::kKeyControl},
                 {kTemporaryZoom, CMorphEditor::kZoom, CMorphEditor::kKeyControl, CMorphEditor::kKeyShift}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        ASSERT_EQ(editor_.tool(), CMorphEditor::kEdit);
        ASSERT_TRUE(editor_.runCommand(c.command));
        EXPECT_EQ(editor_.tool(), c.tool);
        EXPECT_FALSE(editor_.runCommand(kTemporaryOrbit)) << "a second request is ignored";
        EXPECT_FALSE(editor_.keyUp(c.wrongKey));
        EXPECT_EQ(editor_.tool(), c.tool);
        EXPECT_TRUE(editor_.keyUp(c.rightKey));
        EXPECT_EQ(editor_.tool(), CMorphEditor::kEdit);
    }
    ASSERT_TRUE(editor_.runCommand(kTemporaryPan));
    editor_.leave();
    EXPECT_EQ(editor_.tool(), CMorphEditor::kEdit) << "leaving the view ends it too";
}

// While the player owns the model nothing moves, no command runs and the cursor waits.
TEST_F(MorphEditorTest, NothingMovesWhileTheModelIsBusy)
{
    LineSegment line{};
    int x = 0, y = 0;
    ASSERT_TRUE(findGrabbableLine(line, x, y));
    const std::vector<Vec3f> before = positions();
    const double viewSize = editor_.renderer().camera().viewSize;
    model_->setBusy(1);
    EXPECT_EQ(editor_.cursorResource(), CMorphEditor::kCursorWait);
    drag(x, y, 40, 40);
    EXPECT_FALSE(editor_.wheel(x, y, 3));
    for (int id : morphcmd::kViewCommands)
        EXPECT_FALSE(editor_.isCommandEnabled(id)) << id;
    EXPECT_FALSE(editor_.runCommand(morphcmd::kNormalise));
    EXPECT_TRUE(samePositions(positions(), before));
    EXPECT_EQ(editor_.renderer().camera().viewSize, viewSize);
    EXPECT_EQ(changes_, 0);
    model_->setBusy(0);
    EXPECT_EQ(editor_.cursorResource(), 184);
    drag(x, y, 40, 40);
    EXPECT_FALSE(samePositions(positions(), before));
}

// The wheel zooms about the pointer: the model point under it stays under it.
TEST_F(MorphEditorTest, WheelZoomKeepsThePointUnderThePointer)
{
    const Vec3f point{4, 22, 0};
    double x0 = 0, y0 = 0;
    editor_.windowPoint(point, x0, y0);
    ASSERT_TRUE(editor_.wheel(static_cast<int>(x0), static_cast<int>(y0), 3));
    EXPECT_LT(editor_.renderer().camera().viewSize, 36.0);
    double x1 = 0, y1 = 0;
    editor_.windowPoint(point, x1, y1);
    EXPECT_NEAR(x1, x0, 1.0);
    EXPECT_NEAR(y1, y0, 1.0);
}

// Each command of the panel sets what its id says and shows it checked; the page flip is not the view's.
TEST_F(MorphEditorTest, CommandsSetTheirStateAndShowItChecked)
{
    using namespace morphcmd;
    const struct {
        int id;
        int tool, drawMode, subMode, storedSet; // -2: not checked here
    } cases[] = {
        {kOrbitTool, CMorphEditor::kOrbit, -2, -2, -2},
        {kPanTool, CMorphEditor::kPan, -2, -2, -2},
        {kZoomTool, CMorphEditor::kZoom, -2, -2, -2},
        {kZoomRectangleTool, CMorphEditor::kZoomRectangle, -2, -2, -2},
        {kEditTool, CMorphEditor::kEdit, -2, -2, -2},
        {kWireframe, -2, 0, -2, -2},
        {kFlat, -2, 1, -2, -2},
        {kTextured, -2, 2, -2, -2},
        {kMoveZ, -2, -2, 1, -2},
        {kMoveXY, -2, -2, 0, -2},
        {kShowReference, -2, -2, -2, 0},
        {kShowCurrent, -2, -2, -2, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_TRUE(editor_.isCommandEnabled(c.id));
        ASSERT_TRUE(editor_.runCommand(c.id));
        EXPECT_TRUE(editor_.isCommandChecked(c.id));
        if (c.tool != -2) {
            EXPECT_EQ(editor_.tool(), c.tool);
        }
        if (c.drawMode != -2) {
            EXPECT_EQ(editor_.renderer().getDrawMode(), c.drawMode);
        }
        if (c.subMode != -2) {
            EXPECT_EQ(editor_.subMode(), c.subMode);
            EXPECT_EQ(editor_.cursorResource(), c.subMode == 0 ? 184 : 185);
        }
        if (c.storedSet != -2) {
            EXPECT_EQ(editor_.renderer().storedSetView(), c.storedSet);
        }
    }
    EXPECT_FALSE(editor_.isCommandEnabled(kShowNeutral)) << "no neutral pose saved";
    EXPECT_FALSE(editor_.runCommand(kFlipPage));
    ASSERT_TRUE(editor_.runCommand(kShowLines));
    EXPECT_FALSE(editor_.showLines());
    EXPECT_FALSE(editor_.isCommandChecked(kShowLines));
    // A stored set is shown read-only: nothing to edit, nothing to fit.
    ASSERT_TRUE(editor_.runCommand(kShowReference));
    EXPECT_FALSE(editor_.isCommandEnabled(kFitToLines));
    EXPECT_FALSE(editor_.isCommandEnabled(kRestoreReference));
    ASSERT_TRUE(editor_.runCommand(kShowCurrent));
    EXPECT_TRUE(editor_.isCommandEnabled(kFitToLines));
    EXPECT_TRUE(editor_.runCommand(kFitToLines)) << "lines at their reference: the fitting changes nothing";
    EXPECT_TRUE(editor_.isCommandEnabled(kRestoreReference));
    EXPECT_FALSE(editor_.isCommandEnabled(kRevertDrag)) << "the last change was no drag";
}

} // namespace
