#pragma once

#include <QIcon>
#include <QPixmap>

// Icons of the fixed catalogues, drawn rather than loaded: a mouth per viseme (16 x 16) and a face
// per expression (28 x 28).
QPixmap visemeIcon(int viseme);
QPixmap expressionIcon(int expression);
