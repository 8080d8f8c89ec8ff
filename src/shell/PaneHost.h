#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

class QLabel;
class QVBoxLayout;

// The place of a window that another part of the program builds (the 3D view, the preview, the track
// window). Until that window is handed over with `host`, it shows the model's state as plain text
// and, where there is one, the picture the model holds.
class PaneHost : public QWidget {
    Q_OBJECT
public:
    explicit PaneHost(const QString& name, QWidget* parent = nullptr);

    // Puts `window` in place of the state display, for good; the host owns it.
    void host(QWidget* window);
    QWidget* hosted() const { return hosted_; }

    void setStateText(const QString& text);
    QString stateText() const;
    void setPicture(const QImage& picture);

private:
    QVBoxLayout* layout_;
    QWidget* state_;
    QLabel* text_;
    QLabel* picture_;
    QPointer<QWidget> hosted_;
};
