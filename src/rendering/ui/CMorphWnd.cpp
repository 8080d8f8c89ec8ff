#include "rendering/ui/CMorphWnd.h"

#include "rendering/gl/MorphCommands.h"
#include "rendering/ui/MorphCursors.h"

#include <GL/gl.h>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QWheelEvent>

#include <cmath>

CMorphWnd::CMorphWnd(QWidget* parent) : QOpenGLWidget(parent)
{
    // Fixed-function drawing needs a compatibility context, whatever the application's default is.
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    format.setRedBufferSize(8), format.setGreenBufferSize(8), format.setBlueBufferSize(8);
    setFormat(format);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(morphCursor(editor_.cursorResource()));
    editor_.setModelChangedHandler([this] { emit modelChanged(); });
}

CMorphWnd::~CMorphWnd()
{
    // The base class destroys the context after this destructor: it must not call back into us then.
    if (context())
        disconnect(context(), nullptr, this, nullptr);
    releaseRenderer();
}

void CMorphWnd::releaseRenderer()
{
    if (!initialised_)
        return;
    makeCurrent();
    editor_.destroyRenderer();
    doneCurrent();
    initialised_ = false;
}

void CMorphWnd::setModel(CHeadModel* model, bool normalise)
{
    if (initialised_)
        makeCurrent();
    editor_.setModel(model, normalise);
    if (initialised_)
        doneCurrent();
    afterEvent(true);
}

void CMorphWnd::initializeGL()
{
    // The context goes before the widget does when it moves to another window: let go of its textures.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &CMorphWnd::releaseRenderer,
            Qt::DirectConnection);
    const qreal ratio = devicePixelRatioF();
    editor_.resize(static_cast<int>(std::lround(width() * ratio)),
                   static_cast<int>(std::lround(height() * ratio)));
    initialised_ = editor_.createRenderer();
}

void CMorphWnd::resizeGL(int width, int height)
{
    editor_.resize(width, height);
}

void CMorphWnd::paintGL()
{
    editor_.paint();
    // The photo overlay blends its mask into the frame's alpha too. The widget's frame is composed
    // onto the window as a premultiplied picture, so any alpha under 1 would show as speckles where
    // the mask lets the mesh through: the finished frame is made opaque.
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
}

QPoint CMorphWnd::devicePoint(const QPointF& position) const
{
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::floor(position.x() * ratio)),
            static_cast<int>(std::floor(position.y() * ratio))};
}

void CMorphWnd::afterEvent(bool repaint)
{
    setCursor(morphCursor(editor_.cursorResource()));
    if (repaint) {
        update();
        emit commandStateChanged();
    }
}

void CMorphWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QOpenGLWidget::mousePressEvent(event);
    makeCurrent();
    QPoint p = devicePoint(event->position());
    bool repaint = editor_.buttonDown(p.x(), p.y());
    doneCurrent();
    afterEvent(repaint);
}

void CMorphWnd::mouseMoveEvent(QMouseEvent* event)
{
    makeCurrent();
    QPoint p = devicePoint(event->position());
    bool repaint = editor_.mouseMove(p.x(), p.y());
    doneCurrent();
    if (repaint)
        update();
    setCursor(morphCursor(editor_.cursorResource()));
}

void CMorphWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QOpenGLWidget::mouseReleaseEvent(event);
    makeCurrent();
    QPoint p = devicePoint(event->position());
    bool repaint = editor_.buttonUp(p.x(), p.y());
    doneCurrent();
    afterEvent(repaint);
}

void CMorphWnd::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Undo)) {
        undo();
        return;
    }
    if (event->matches(QKeySequence::Redo) ||
        (event->key() == Qt::Key_Z && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier))) {
        redo();
        return;
    }
    if (event->isAutoRepeat())
        return;
    switch (event->key()) {
    case Qt::Key_Space:
        runCommand(morphcmd::kTemporaryPan);
        break;
    case Qt::Key_Control:
        runCommand(morphcmd::kTemporaryOrbit);
        break;
    case Qt::Key_Shift:
        runCommand(morphcmd::kTemporaryZoom);
        break;
    default:
        QOpenGLWidget::keyPressEvent(event);
    }
}

void CMorphWnd::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    CMorphEditor::Key key;
    switch (event->key()) {
    case Qt::Key_Space:
        key = CMorphEditor::kKeySpace;
        break;
    case Qt::Key_Control:
        key = CMorphEditor::kKeyControl;
        break;
    case Qt::Key_Shift:
        key = CMorphEditor::kKeyShift;
        break;
    default:
        return QOpenGLWidget::keyReleaseEvent(event);
    }
    afterEvent(editor_.keyUp(key));
}

void CMorphWnd::wheelEvent(QWheelEvent* event)
{
    QPoint p = devicePoint(event->position());
    double notches = event->angleDelta().y() / 120.0;
    makeCurrent();
    bool repaint = editor_.wheel(p.x(), p.y(), notches);
    doneCurrent();
    afterEvent(repaint);
    event->accept();
}

void CMorphWnd::enterEvent(QEnterEvent* event)
{
    QPoint p = devicePoint(event->position());
    makeCurrent();
    bool repaint = editor_.mouseMove(p.x(), p.y());
    doneCurrent();
    afterEvent(repaint);
}

void CMorphWnd::leaveEvent(QEvent*)
{
    afterEvent(editor_.leave());
}

bool CMorphWnd::runCommand(int id)
{
    makeCurrent();
    bool done = editor_.runCommand(id);
    doneCurrent();
    if (done &&
        (id == morphcmd::kTemporaryPan || id == morphcmd::kTemporaryOrbit || id == morphcmd::kTemporaryZoom))
        setFocus(Qt::OtherFocusReason);
    afterEvent(done);
    return done;
}

bool CMorphWnd::undo()
{
    makeCurrent();
    bool done = editor_.undo();
    doneCurrent();
    afterEvent(done);
    return done;
}

bool CMorphWnd::redo()
{
    makeCurrent();
    bool done = editor_.redo();
    doneCurrent();
    afterEvent(done);
    return done;
}
