#pragma once

#include <QImage>
#include <QPainter>

constexpr int kIconWidth = 16, kIconHeight = 15;

// The 16 x 15 picture of one command, on a transparent ground.
QImage paintCommandIcon(unsigned command);
// The pictures of a toolbar's buttons side by side, gaps skipped; `hot` draws them lighter.
QImage paintStrip(const unsigned* commands, unsigned count, bool hot);
// The 400 x 300 splash picture and the program's 64 x 64 icon.
QImage paintSplash();
QImage paintAppIcon();
// The preview panel's tool bar: play, stop, the three demonstrations and the sound button, with the
// speaker sounding or muted.
QImage paintPreviewStrip(bool muted);
