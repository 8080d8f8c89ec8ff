#pragma once

#include "rendering/gl/CMorphEditor.h"

#include <QOpenGLWidget>

class CHeadModel;

// The 3D editing view: the head fitted to its photograph by dragging editing lines, vertices and the
// fitting box, with orbit, pan and zoom. A thin window over CMorphEditor, on its own compatibility-profile
// OpenGL context. Commands are run and queried by their edit panel ids (rendering/gl/MorphCommands.h).
class CMorphWnd : public QOpenGLWidget {
    Q_OBJECT

public:
    explicit CMorphWnd(QWidget* parent = nullptr);
    ~CMorphWnd() override;

    // The model is not owned. With `normalise` the head is scaled and placed for fitting first.
    void setModel(CHeadModel* model, bool normalise = false);
    CHeadModel* model() const { return editor_.model(); }
    bool isCommandEnabled(int id) const { return editor_.isCommandEnabled(id); }
    bool isCommandChecked(int id) const { return editor_.isCommandChecked(id); }
    bool canUndo() const { return editor_.canUndo(); }
    bool canRedo() const { return editor_.canRedo(); }
    // For tests and benchmarks: the logic behind the window.
    CMorphEditor& editor() { return editor_; }

public slots:
    bool runCommand(int id);
    bool undo();
    bool redo();

signals:
    // The view changed the model (a finished drag, undo, redo or a command): the document is modified.
    void modelChanged();
    // Tool, draw mode or another checked or enabled state may have changed.
    void commandStateChanged();

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void afterEvent(bool repaint);
    QPoint devicePoint(const QPointF& position) const;
    void releaseRenderer();

    CMorphEditor editor_;
    bool initialised_ = false;
};
