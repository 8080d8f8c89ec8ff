#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

// The player's picture: the current frame scaled smoothly into the widget at its own aspect, centred on
// black; or, with no frame, a line of text (a hint, or why a file could not be opened).
class CPlayerView : public QWidget {
    Q_OBJECT
public:
    explicit CPlayerView(QWidget* parent = nullptr);

    void showFrame(const QImage& frame);
    // Replaces the frame by the text; `warning` draws it as an error rather than a hint.
    void showMessage(const QString& text, bool warning);
    QString message() const { return message_; }
    bool showsFrame() const { return !frame_.isNull(); }
    // Where the frame lands in the widget, for tests and hit checks.
    QRect frameRect() const;
    // The square the frame should be drawn at for this widget to show it without scaling up too much.
    int wantedFrameSide() const;

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage frame_;
    QString message_;
    bool warning_ = false;
};
