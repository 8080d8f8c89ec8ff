#pragma once

// The buttons of every toolbar strip, in picture order: command numbers, 0 for a gap. The library
// exports these lists; the icon painter draws the strip of the same number from the same list, so
// a button and its picture cannot drift apart.
#include "Common/ResourceIds.h"

namespace cmrtdata {

struct ToolbarStrip {
    unsigned id;
    const unsigned* commands;
    unsigned count;
};

using namespace res;

inline constexpr unsigned kProjectButtons[] = {kCmdNew,
                                               kCmdOpen,
                                               kCmdSave,
                                               0,
                                               kCmdImportFace,
                                               kCmdImportMask,
                                               kCmdImportVoice,
                                               kCmdRecordVoice,
                                               0,
                                               kCmdSaveStream,
                                               kCmdExportMedia,
                                               0,
                                               kCmdPlay,
                                               kCmdStop,
                                               0,
                                               kCmdOptions,
                                               kCmdAbout};
inline constexpr unsigned kHeadDefinitionButtons[] = {
    kCmdNew, kCmdOpen,       kCmdSave,       0, kCmdImportFace, kCmdImportMask,
    0,       kCmdExportFace, kCmdExportMask, 0, kCmdOptions,    kCmdAbout};
inline constexpr unsigned kHeadAnimationButtons[] = {
    kCmdNew, kCmdOpen, kCmdSave, 0, kCmdImportVoice, kCmdRecordVoice, kCmdExportVoice,
    0,       kCmdPlay, kCmdStop, 0, kCmdOptions,     kCmdAbout};
// Icons for menu entries that no mode toolbar carries.
inline constexpr unsigned kMenuIconButtons[] = {kCmdSaveAs,
                                                kCmdOpenHeadDefinition,
                                                kCmdOpenHeadAnimation,
                                                kCmdExportVoice,
                                                kCmdExportFace,
                                                kCmdSummary,
                                                kCmdHelpContents,
                                                kCmdMute,
                                                kCmdExit};
inline constexpr unsigned kEditViewButtons[] = {kCmdOrbitTool,
                                                kCmdPanTool,
                                                kCmdZoomTool,
                                                kCmdZoomBoxTool,
                                                0,
                                                kCmdEditTool,
                                                kCmdMoveXY,
                                                kCmdMoveZ,
                                                0,
                                                kCmdDrawWireframe,
                                                kCmdDrawFlat,
                                                kCmdDrawTextured,
                                                kCmdShowEditLines,
                                                0,
                                                kCmdResetCamera,
                                                kCmdFitCamera};
inline constexpr unsigned kEditPanelButtons[] = {kCmdTogglePage,  kCmdLipSync,
                                                 kCmdHeadTurns,   0,
                                                 kCmdShowCurrent, kCmdShowReference,
                                                 kCmdShowNeutral, 0,
                                                 kCmdFitToLines,  kCmdNormalise,
                                                 kCmdRevertDrag,  kCmdRestoreReference};

#define CMRT_STRIP(id, list)                                                                                 \
    ToolbarStrip                                                                                             \
    {                                                                                                        \
        id, list, sizeof list / sizeof list[0]                                                               \
    }
inline constexpr ToolbarStrip kToolbarStrips[] = {
    CMRT_STRIP(kToolbarProject, kProjectButtons),
    CMRT_STRIP(kToolbarHeadDefinition, kHeadDefinitionButtons),
    CMRT_STRIP(kToolbarHeadAnimation, kHeadAnimationButtons),
    CMRT_STRIP(kToolbarMenuIcons, kMenuIconButtons),
    CMRT_STRIP(kToolbarEditView, kEditViewButtons),
    CMRT_STRIP(kToolbarEditPanel, kEditPanelButtons),
};
#undef CMRT_STRIP

// Each hot-image strip is the brighter twin of a toolbar strip; the edit panel's strips have their
// own numbers.
struct BitmapOfStrip {
    unsigned bitmap;
    unsigned strip;
    bool hot;
};
inline constexpr BitmapOfStrip kStripBitmaps[] = {
    {kToolbarProject, kToolbarProject, false},
    {kToolbarHeadDefinition, kToolbarHeadDefinition, false},
    {kToolbarHeadAnimation, kToolbarHeadAnimation, false},
    {kToolbarMenuIcons, kToolbarMenuIcons, false},
    {kToolbarEditView, kToolbarEditView, false},
    {kToolbarEditPanel, kToolbarEditPanel, false},
    {kBitmapHotProject, kToolbarProject, true},
    {kBitmapHotHeadDefinition, kToolbarHeadDefinition, true},
    {kBitmapHotHeadAnimation, kToolbarHeadAnimation, true},
    {kBitmapEditView, kToolbarEditView, false},
    {kBitmapEditPanel, kToolbarEditPanel, false},
};

} // namespace cmrtdata
