#pragma once

#include <QWidget>

// The splash (template 254 showing bitmap 253, 400 x 300 when the picture is missing): centred,
// on top, shown at once; the frame closes it once the first document is open.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);
    void showCentred();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};
