#pragma once

// The commands of the edit panel that the 3D editing view answers, by their menu and toolbar ids.
namespace morphcmd {

constexpr int kOrbitTool = 33049;         // tool 1
constexpr int kPanTool = 33051;           // tool 2
constexpr int kZoomTool = 33052;          // tool 3
constexpr int kZoomRectangleTool = 33053; // tool 4
constexpr int kResetCamera = 33057;
constexpr int kFitCamera = 33058;
constexpr int kFlipPage = 33063;       // the edit panel's own: the view does not answer it
constexpr int kWireframe = 33064;      // draw mode 0
constexpr int kFlat = 33065;           // draw mode 1
constexpr int kTextured = 33066;       // draw mode 2
constexpr int kShowLines = 33067;      // show editing lines (toggle)
constexpr int kEditTool = 33068;       // tool 5
constexpr int kTemporaryPan = 33070;   // while Space is held
constexpr int kTemporaryOrbit = 33071; // while Ctrl is held
constexpr int kTemporaryZoom = 33072;  // while Shift is held
constexpr int kMoveXY = 33081;         // edit sub-mode 0
constexpr int kMoveZ = 33083;          // edit sub-mode 1
constexpr int kShowCurrent = 33084;    // draw the current positions
constexpr int kShowReference = 33085;  // draw stored set 0, read-only
constexpr int kShowNeutral = 33086;    // draw stored set 1, read-only
constexpr int kFitToLines = 33078;
constexpr int kNormalise = 33079;
constexpr int kRevertDrag = 33103;
constexpr int kRestoreReference = 33104; // current positions back to stored set 0

// Every id above but the page flip, for menus and tests that walk them.
constexpr int kViewCommands[] = {kOrbitTool,      kPanTool,       kZoomTool,        kZoomRectangleTool,
                                 kResetCamera,    kFitCamera,     kWireframe,       kFlat,
                                 kTextured,       kShowLines,     kEditTool,        kTemporaryPan,
                                 kTemporaryOrbit, kTemporaryZoom, kMoveXY,          kMoveZ,
                                 kShowCurrent,    kShowReference, kShowNeutral,     kFitToLines,
                                 kNormalise,      kRevertDrag,    kRestoreReference};

} // namespace morphcmd
