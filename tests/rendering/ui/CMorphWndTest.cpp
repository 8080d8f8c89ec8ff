// The 3D editing view as a window under a real X server: drags by mouse events, revert, the box's
// thickness, Space held for pan, a busy model, undo and redo by key, and screenshots of the view.
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "rendering/gl/MorphCommands.h"
#include "rendering/ui/CMorphWnd.h"

#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

struct Segment {
    int a, b, number;
};

bool same(const std::vector<Vec3f>& a, const std::vector<Vec3f>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z)
            return false;
    return true;
}

} // namespace

class MorphWndTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lineDragMovesItsVerticesAndTheFreeOnesFollow();
    void revertPutsEveryVertexBack();
    void boxCornerDragKeepsTheBoxFiveUnitsThick();
    void spaceHeldSwitchesToPanAndReleaseRestores();
    void nothingMovesWhileTheModelIsBusy();
    void ctrlZAndCtrlShiftZUndoAndRedo();
    void screenshots();

private:
    std::vector<Vec3f> positions() const
    {
        return {model_->currentPositions(), model_->currentPositions() + model_->vertexCount()};
    }
    std::vector<Segment> segments() const;
    QPoint windowPoint(const Vec3f& p);
    bool grabbableLine(Segment& line, QPoint& at);
    void drag(QPoint from, QPoint by, int steps = 5);
    void shoot(const QString& name);

    std::unique_ptr<CHeadModel> model_;
    std::unique_ptr<CMorphWnd> view_;
};

void MorphWndTest::init()
{
    model_ = readHeadFile(CM_SOURCE_DIR "/content/Models/MaleHead.cmm");
    QVERIFY(model_);
    view_ = std::make_unique<CMorphWnd>();
    view_->resize(640, 480);
    view_->setModel(model_.get(), true);
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    view_->grabFramebuffer(); // initialised and painted once
}

void MorphWndTest::cleanup()
{
    view_.reset();
    model_.reset();
}

std::vector<Segment> MorphWndTest::segments() const
{
    std::vector<Segment> out;
    model_->visitEditingLines(
        [](void* context, int a, int b, int number) {
            static_cast<std::vector<Segment>*>(context)->push_back({a, b, number});
            return 1;
        },
        &out);
    return out;
}

QPoint MorphWndTest::windowPoint(const Vec3f& p)
{
    view_->makeCurrent();
    double x = 0, y = 0;
    view_->editor().windowPoint(p, x, y);
    view_->doneCurrent();
    const qreal ratio = view_->devicePixelRatioF();
    return {static_cast<int>(x / ratio), static_cast<int>(y / ratio)};
}

bool MorphWndTest::grabbableLine(Segment& line, QPoint& at)
{
    for (const Segment& s : segments()) {
        Vec3f a, b;
        model_->getVertex(s.a, a);
        model_->getVertex(s.b, b);
        at = windowPoint({(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2});
        QTest::mouseMove(view_.get(), at);
        if (view_->editor().hoverClass() == CGLRenderer::kPickLine &&
            view_->editor().hoverIndex() == s.number) {
            line = s;
            return true;
        }
    }
    return false;
}

void MorphWndTest::drag(QPoint from, QPoint by, int steps)
{
    QTest::mouseMove(view_.get(), from);
    QTest::mousePress(view_.get(), Qt::LeftButton, {}, from);
    for (int k = 1; k <= steps; ++k)
        QTest::mouseMove(view_.get(), from + by * k / steps);
    QTest::mouseRelease(view_.get(), Qt::LeftButton, {}, from + by);
}

void MorphWndTest::shoot(const QString& name)
{
    QString folder = qEnvironmentVariable("CM_SCREENSHOTS", QDir::tempPath() + "/morph-screenshots");
    QDir().mkpath(folder);
    QImage picture = view_->grabFramebuffer();
    QVERIFY(!picture.isNull());
    QVERIFY(picture.save(folder + "/" + name + ".png"));
}

void MorphWndTest::lineDragMovesItsVerticesAndTheFreeOnesFollow()
{
    Segment line{};
    QPoint at;
    QVERIFY(grabbableLine(line, at));
    QSignalSpy changed(view_.get(), &CMorphWnd::modelChanged);
    const std::vector<Vec3f> before = positions();
    drag(at, {25, -15});
    const std::vector<Vec3f> after = positions();
    QCOMPARE(changed.count(), 1);
    std::vector<bool> onLine(before.size()), endsALine(before.size());
    for (const Segment& s : segments()) {
        endsALine[size_t(s.a)] = endsALine[size_t(s.b)] = true;
        if (s.number == line.number)
            onLine[size_t(s.a)] = onLine[size_t(s.b)] = true;
    }
    int freeMoved = 0, lineMoved = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        float dx = after[i].x - before[i].x, dy = after[i].y - before[i].y;
        if (onLine[i]) {
            QVERIFY(dx > 0.5f && dy > 0.2f);
            ++lineMoved;
        } else if (!endsALine[i] && std::abs(dx) + std::abs(dy) > 1e-3f) {
            ++freeMoved;
        }
    }
    QVERIFY(lineMoved >= 2);
    QVERIFY2(freeMoved > 10, "the fitting carries the free vertices");
}

void MorphWndTest::revertPutsEveryVertexBack()
{
    Segment line{};
    QPoint at;
    QVERIFY(grabbableLine(line, at));
    const std::vector<Vec3f> before = positions();
    QVERIFY(!view_->isCommandEnabled(morphcmd::kRevertDrag));
    drag(at, {-18, 22});
    QVERIFY(!same(positions(), before));
    QVERIFY(view_->isCommandEnabled(morphcmd::kRevertDrag));
    QVERIFY(view_->runCommand(morphcmd::kRevertDrag));
    QVERIFY(same(positions(), before));
}

void MorphWndTest::boxCornerDragKeepsTheBoxFiveUnitsThick()
{
    const int vertexCount = model_->vertexCount();
    for (int round = 0; round < 3; ++round) {
        const Vec3f high = view_->editor().boxMax(), low = view_->editor().boxMin();
        QPoint corner = windowPoint({high.x, high.y, low.z}); // corner 3
        QTest::mouseMove(view_.get(), corner);
        QCOMPARE(view_->editor().hoverClass(), CGLRenderer::kPickPoint);
        QCOMPARE(view_->editor().hoverIndex(), vertexCount + 3);
        drag(corner, {-400, 400}, 10);
    }
    Vec3f high, low, span;
    model_->extents(high, low, span);
    QVERIFY(span.x >= CMorphEditor::kMinBoxThickness - 1e-3f);
    QVERIFY(span.y >= CMorphEditor::kMinBoxThickness - 1e-3f);
    QVERIFY(span.x < 5.5f);
    QVERIFY(span.y < 5.5f);
}

void MorphWndTest::spaceHeldSwitchesToPanAndReleaseRestores()
{
    QTest::mouseMove(view_.get(), {320, 240});
    QCOMPARE(view_->editor().tool(), int(CMorphEditor::kEdit));
    QTest::keyPress(view_.get(), Qt::Key_Space);
    QCOMPARE(view_->editor().tool(), int(CMorphEditor::kPan));
    QCOMPARE(view_->cursor().shape(), Qt::BitmapCursor);
    const double eyeX = view_->editor().renderer().camera().eye[0];
    drag({320, 240}, {60, 0});
    QVERIFY2(view_->editor().renderer().camera().eye[0] < eyeX, "dragging right pans the view to the left");
    QTest::keyRelease(view_.get(), Qt::Key_Shift);
    QCOMPARE(view_->editor().tool(), int(CMorphEditor::kPan));
    QTest::keyRelease(view_.get(), Qt::Key_Space);
    QCOMPARE(view_->editor().tool(), int(CMorphEditor::kEdit));
}

void MorphWndTest::nothingMovesWhileTheModelIsBusy()
{
    Segment line{};
    QPoint at;
    QVERIFY(grabbableLine(line, at));
    const std::vector<Vec3f> before = positions();
    model_->setBusy(1);
    QTest::mouseMove(view_.get(), at + QPoint(1, 1));
    QCOMPARE(view_->cursor().shape(), Qt::WaitCursor);
    drag(at, {40, 40});
    QTest::keyClick(view_.get(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!view_->runCommand(morphcmd::kNormalise));
    QVERIFY(same(positions(), before));
    QImage busyFrame = view_->grabFramebuffer();
    QCOMPARE(busyFrame.pixelColor(320, 240), QColor(51, 51, 51)); // only cleared
    model_->setBusy(0);
    drag(at, {40, 40});
    QVERIFY(!same(positions(), before));
}

void MorphWndTest::ctrlZAndCtrlShiftZUndoAndRedo()
{
    Segment line{};
    QPoint at;
    QVERIFY(grabbableLine(line, at));
    std::vector<std::vector<Vec3f>> states{positions()};
    for (int k = 0; k < 2; ++k) {
        QVERIFY(grabbableLine(line, at));
        drag(at, {10, 10});
        states.push_back(positions());
    }
    QTest::keyClick(view_.get(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(same(positions(), states[1]));
    QTest::keyClick(view_.get(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(same(positions(), states[0]));
    QTest::keyClick(view_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(same(positions(), states[1]));
    QTest::keyClick(view_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(same(positions(), states[2]));
}

void MorphWndTest::screenshots()
{
    std::vector<uint32_t> photo(256 * 256), mask(256 * 256);
    QImage face(CM_SOURCE_DIR "/content/Faces/Male.jpg"), cut(CM_SOURCE_DIR "/content/Faces/Male-mask.jpg");
    QCOMPARE(face.size(), QSize(256, 256));
    face = face.convertToFormat(QImage::Format_ARGB32);
    cut = cut.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            photo[size_t(y * 256 + x)] = (face.pixel(x, y) & 0xFFFFFFu) | uint32_t(qGray(cut.pixel(x, y)))
                                                                              << 24;
    model_->writeSlotPixels(0, photo.data());
    const struct {
        int command;
        const char* name;
    } modes[] = {{morphcmd::kWireframe, "mode0-wireframe"},
                 {morphcmd::kFlat, "mode1-flat"},
                 {morphcmd::kTextured, "mode2-textured"}};
    for (const auto& m : modes) {
        QVERIFY(view_->runCommand(m.command));
        shoot(m.name);
    }
    Segment line{};
    QPoint at;
    QVERIFY(grabbableLine(line, at));
    shoot("edit-hovered-line");
    Vec3f vertex;
    model_->getVertex(line.a, vertex);
    QTest::mouseMove(view_.get(), windowPoint(vertex));
    QCOMPARE(view_->editor().hoverClass(), CGLRenderer::kPickPoint);
    shoot("edit-hovered-vertex");
    QVERIFY(view_->runCommand(morphcmd::kShowLines));
    shoot("lines-hidden");
    QVERIFY(view_->runCommand(morphcmd::kShowLines));
    QVERIFY(view_->runCommand(morphcmd::kZoomRectangleTool));
    QTest::mouseMove(view_.get(), {200, 150});
    QTest::mousePress(view_.get(), Qt::LeftButton, {}, {200, 150});
    QTest::mouseMove(view_.get(), {380, 300});
    shoot("rubber-band");
    QTest::mouseRelease(view_.get(), Qt::LeftButton, {}, {380, 300});
    shoot("after-zoom-to-rectangle");
}

QTEST_MAIN(MorphWndTest)
#include "CMorphWndTest.moc"
