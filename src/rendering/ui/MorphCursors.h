#pragma once

#include <QCursor>

// The cursors of the editing view's tools by their resource numbers (141 pan, 142 zoom, 143 orbit,
// 168 zoom to rectangle, 184 edit in x/y, 185 edit in z), drawn once on first use; 0 is the arrow and
// -1 the wait cursor.
QCursor morphCursor(int resource);
