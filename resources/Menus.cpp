// The three editors' menus. The text after a tab is the accelerator shown beside the entry; the keys
// themselves come from accelerator table 128.
#include "Common/ResourceIds.h"
#include "Common/ResourceTypes.h"

namespace {

using namespace res;

constexpr unsigned P = kCmrtMenuPopup, S = kCmrtMenuSeparator, R = kCmrtMenuRecentFiles;

#define SEP(depth)                                                                                           \
    {                                                                                                        \
        0, nullptr, S, depth                                                                                 \
    }

const CmrtMenuItem kProjectMenu[] = {
    {0, "&File", P, 0},
    {kCmdNew, "&New...\tCtrl+N", 0, 1},
    {kCmdOpen, "&Open Project...\tCtrl+O", 0, 1},
    {kCmdSave, "&Save\tCtrl+S", 0, 1},
    {kCmdSaveAs, "Save Project &As...\tCtrl+Shift+S", 0, 1},
    {kCmdSaveAsHeadDefinition, "Save &Head Definition As...", 0, 1},
    {kCmdSaveAsHeadAnimation, "Save Head Anima&tion As...", 0, 1},
    SEP(1),
    {kCmdOpenHeadDefinition, "Import Head &Definition...", 0, 1},
    {kCmdOpenHeadAnimation, "Import Head Ani&mation...", 0, 1},
    SEP(1),
    {0, "&Import", P, 1},
    {kCmdImportFace, "&Face Texture...", 0, 2},
    {kCmdImportMask, "&Mask...", 0, 2},
    {kCmdImportVoice, "&Voice Recording...", 0, 2},
    {0, "&Export", P, 1},
    {kCmdExportFace, "&Face Texture...", 0, 2},
    {kCmdExportMask, "&Mask...", 0, 2},
    {kCmdExportVoice, "&Voice Recording...", 0, 2},
    {kCmdRecordVoice, "&Record Voice...", 0, 1},
    SEP(1),
    {kCmdSaveStream, "Save Stream &File...", 0, 1},
    {kCmdExportMedia, "Export to &Windows Media...", 0, 1},
    SEP(1),
    {kCmdSummary, "Summar&y...", 0, 1},
    SEP(1),
    {kCmdRecentFirst, "Recent File", R, 1},
    SEP(1),
    {kCmdExit, "E&xit\tCtrl+Q", 0, 1},
    {0, "&Edit", P, 0},
    {kCmdTogglePage, "Show &Timeline\tCtrl+T", 0, 1},
    SEP(1),
    {kCmdUndo, "&Undo\tCtrl+Z", 0, 1},
    {kCmdRedo, "&Redo\tCtrl+Y", 0, 1},
    SEP(1),
    {kCmdLipSync, "Lip-&sync...\tCtrl+L", 0, 1},
    {kCmdHeadTurns, "Automatic &Head Turns\tCtrl+H", 0, 1},
    SEP(1),
    {kCmdOrbitTool, "&Orbit", 0, 1},
    {kCmdPanTool, "&Pan", 0, 1},
    {kCmdZoomTool, "&Zoom", 0, 1},
    {kCmdZoomBoxTool, "Zoom &Rectangle", 0, 1},
    {kCmdEditTool, "&Edit Points", 0, 1},
    SEP(1),
    {kCmdDrawWireframe, "&Wireframe", 0, 1},
    {kCmdDrawFlat, "&Flat Shading", 0, 1},
    {kCmdDrawTextured, "Te&xtured", 0, 1},
    {kCmdShowEditLines, "Editing &Lines", 0, 1},
    SEP(1),
    {kCmdResetCamera, "Reset &View", 0, 1},
    {kCmdFitCamera, "F&it View", 0, 1},
    SEP(1),
    {kCmdRevertDrag, "Revert Last &Drag", 0, 1},
    {0, "&View", P, 0},
    {kCmdViewToolbar, "&Toolbar", 0, 1},
    {kCmdViewProjectWindow, "&Project Window", 0, 1},
    {kCmdViewListWindow, "&List Window", 0, 1},
    {kCmdViewStatusBar, "&Status Bar", 0, 1},
    SEP(1),
    {kCmdOptions, "&Options...", 0, 1},
    {0, "&Play", P, 0},
    {kCmdPlay, "&Play\tF5", 0, 1},
    {kCmdStop, "&Stop\tShift+F5", 0, 1},
    SEP(1),
    {kCmdDemoMouth, "&Mouth Demonstration", 0, 1},
    {kCmdDemoBlink, "&Blink Demonstration", 0, 1},
    {kCmdDemoHead, "&Head Demonstration", 0, 1},
    SEP(1),
    {kCmdMute, "M&ute Speakers", 0, 1},
    {0, "&Help", P, 0},
    {kCmdHelpContents, "&Contents\tF1", 0, 1},
    {kCmdHelpIndex, "&Index", 0, 1},
    {kCmdHelpSearch, "&Search...", 0, 1},
    {kCmdWebPage, "Chattermask on the &Web", 0, 1},
    SEP(1),
    {kCmdAbout, "&About Chattermask Studio...", 0, 1},
};

const CmrtMenuItem kHeadDefinitionMenu[] = {
    {0, "&File", P, 0},
    {kCmdNew, "&New...\tCtrl+N", 0, 1},
    {kCmdOpen, "&Open Head Definition...\tCtrl+O", 0, 1},
    {kCmdSave, "&Save\tCtrl+S", 0, 1},
    {kCmdSaveAs, "Save Head Definition &As...\tCtrl+Shift+S", 0, 1},
    SEP(1),
    {0, "&Import", P, 1},
    {kCmdImportFace, "&Face Texture...", 0, 2},
    {kCmdImportMask, "&Mask...", 0, 2},
    {0, "&Export", P, 1},
    {kCmdExportFace, "&Face Texture...", 0, 2},
    {kCmdExportMask, "&Mask...", 0, 2},
    SEP(1),
    {kCmdSummary, "Summar&y...", 0, 1},
    SEP(1),
    {kCmdRecentFirst, "Recent File", R, 1},
    SEP(1),
    {kCmdExit, "E&xit\tCtrl+Q", 0, 1},
    {0, "&Edit", P, 0},
    {kCmdUndo, "&Undo\tCtrl+Z", 0, 1},
    {kCmdRedo, "&Redo\tCtrl+Y", 0, 1},
    SEP(1),
    {kCmdOrbitTool, "&Orbit", 0, 1},
    {kCmdPanTool, "&Pan", 0, 1},
    {kCmdZoomTool, "&Zoom", 0, 1},
    {kCmdZoomBoxTool, "Zoom &Rectangle", 0, 1},
    {kCmdEditTool, "&Edit Points", 0, 1},
    SEP(1),
    {kCmdDrawWireframe, "&Wireframe", 0, 1},
    {kCmdDrawFlat, "&Flat Shading", 0, 1},
    {kCmdDrawTextured, "Te&xtured", 0, 1},
    {kCmdShowEditLines, "Editing &Lines", 0, 1},
    SEP(1),
    {kCmdResetCamera, "Reset &View", 0, 1},
    {kCmdFitCamera, "F&it View", 0, 1},
    SEP(1),
    {kCmdMoveXY, "Move &Across", 0, 1},
    {kCmdMoveZ, "Move in &Depth", 0, 1},
    {kCmdShowCurrent, "Show &Current Positions", 0, 1},
    {kCmdShowReference, "Show &Generic Positions", 0, 1},
    {kCmdShowNeutral, "Show &Stored Positions", 0, 1},
    SEP(1),
    {kCmdFitToLines, "Fit to &Lines", 0, 1},
    {kCmdNormalise, "&Normalise", 0, 1},
    {kCmdRevertDrag, "Revert Last &Drag", 0, 1},
    {kCmdRestoreReference, "&Back to Generic Positions", 0, 1},
    {0, "&View", P, 0},
    {kCmdViewToolbar, "&Toolbar", 0, 1},
    {kCmdViewProjectWindow, "&Project Window", 0, 1},
    {kCmdViewListWindow, "&List Window", 0, 1},
    {kCmdViewStatusBar, "&Status Bar", 0, 1},
    SEP(1),
    {kCmdOptions, "&Options...", 0, 1},
    {0, "&Help", P, 0},
    {kCmdHelpContents, "&Contents\tF1", 0, 1},
    {kCmdHelpIndex, "&Index", 0, 1},
    {kCmdHelpSearch, "&Search...", 0, 1},
    {kCmdWebPage, "Chattermask on the &Web", 0, 1},
    SEP(1),
    {kCmdAbout, "&About Chattermask Studio...", 0, 1},
};

const CmrtMenuItem kHeadAnimationMenu[] = {
    {0, "&File", P, 0},
    {kCmdNew, "&New...\tCtrl+N", 0, 1},
    {kCmdOpen, "&Open Head Animation...\tCtrl+O", 0, 1},
    {kCmdSave, "&Save\tCtrl+S", 0, 1},
    {kCmdSaveAs, "Save Head Animation &As...\tCtrl+Shift+S", 0, 1},
    SEP(1),
    {kCmdImportVoice, "&Import Voice Recording...", 0, 1},
    {kCmdExportVoice, "&Export Voice Recording...", 0, 1},
    {kCmdRecordVoice, "&Record Voice...", 0, 1},
    SEP(1),
    {kCmdSummary, "Summar&y...", 0, 1},
    SEP(1),
    {kCmdRecentFirst, "Recent File", R, 1},
    SEP(1),
    {kCmdExit, "E&xit\tCtrl+Q", 0, 1},
    {0, "&Edit", P, 0},
    {kCmdUndo, "&Undo\tCtrl+Z", 0, 1},
    {kCmdRedo, "&Redo\tCtrl+Y", 0, 1},
    {0, "&View", P, 0},
    {kCmdViewToolbar, "&Toolbar", 0, 1},
    {kCmdViewProjectWindow, "&Project Window", 0, 1},
    {kCmdViewListWindow, "&List Window", 0, 1},
    {kCmdViewStatusBar, "&Status Bar", 0, 1},
    SEP(1),
    {kCmdOptions, "&Options...", 0, 1},
    {0, "&Play", P, 0},
    {kCmdPlay, "&Play\tF5", 0, 1},
    {kCmdStop, "&Stop\tShift+F5", 0, 1},
    SEP(1),
    {kCmdDemoMouth, "&Mouth Demonstration", 0, 1},
    {kCmdDemoBlink, "&Blink Demonstration", 0, 1},
    {kCmdDemoHead, "&Head Demonstration", 0, 1},
    SEP(1),
    {kCmdMute, "M&ute Speakers", 0, 1},
    {0, "&Help", P, 0},
    {kCmdHelpContents, "&Contents\tF1", 0, 1},
    {kCmdHelpIndex, "&Index", 0, 1},
    {kCmdHelpSearch, "&Search...", 0, 1},
    {kCmdWebPage, "Chattermask on the &Web", 0, 1},
    SEP(1),
    {kCmdAbout, "&About Chattermask Studio...", 0, 1},
};

const CmrtAccelerator kMainAccelerators[] = {
    {"Ctrl+N", kCmdNew},        {"Ctrl+O", kCmdOpen},     {"Ctrl+S", kCmdSave}, {"Ctrl+Shift+S", kCmdSaveAs},
    {"Ctrl+Q", kCmdExit},       {"F1", kCmdHelpContents}, {"F5", kCmdPlay},     {"Shift+F5", kCmdStop},
    {"Ctrl+T", kCmdTogglePage}, {"Ctrl+Z", kCmdUndo},     {"Ctrl+Y", kCmdRedo},
    {"Ctrl+L", kCmdLipSync},    {"Ctrl+H", kCmdHeadTurns},
};

template <typename T, unsigned N> const T* withCount(const T (&table)[N], unsigned* count)
{
    if (count)
        *count = N;
    return table;
}

} // namespace

extern "C" __attribute__((visibility("default"))) const CmrtMenuItem* cmrtLoadMenu(unsigned id,
                                                                                   unsigned* count)
{
    switch (id) {
    case kMenuProject:
        return withCount(kProjectMenu, count);
    case kMenuHeadDefinition:
        return withCount(kHeadDefinitionMenu, count);
    case kMenuHeadAnimation:
        return withCount(kHeadAnimationMenu, count);
    default:
        break;
    }
    if (count)
        *count = 0;
    return nullptr;
}

extern "C" __attribute__((visibility("default"))) const CmrtAccelerator* cmrtLoadAccelerators(unsigned id,
                                                                                              unsigned* count)
{
    if (id == kAccelerators)
        return withCount(kMainAccelerators, count);
    if (count)
        *count = 0;
    return nullptr;
}
