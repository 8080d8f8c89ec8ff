// The studio's own texts: each command's prompt (status bar text, then after a newline the button's
// tooltip), the file dialogs' filters and titles, and the panes' texts.
#include "Common/ResourceIds.h"

namespace {

using namespace res;

struct StringEntry {
    unsigned id;
    const char* text;
};

const StringEntry kShellStrings[] = {
    {kCmdNew, "Start a new document from a default head\nNew"},
    {kCmdOpen, "Open an existing document\nOpen"},
    {kCmdSave, "Save the document\nSave"},
    {kCmdSaveAs, "Save the document under a new name\nSave As"},
    {kCmdSaveAsHeadDefinition, "Save the head definition as a pack of its own\nSave Head Definition"},
    {kCmdSaveAsHeadAnimation, "Save the head animation as a pack of its own\nSave Head Animation"},
    {kCmdOpenHeadDefinition, "Import a head definition pack into the project\nImport Head Definition"},
    {kCmdOpenHeadAnimation, "Import a head animation pack into the project\nImport Head Animation"},
    {kCmdImportFace, "Import a 256 x 256 JPEG picture as the face texture\nImport Face Texture"},
    {kCmdImportMask, "Import a 256 x 256 JPEG picture as the face mask\nImport Mask"},
    {kCmdExportFace, "Write the face texture to a JPEG file\nExport Face Texture"},
    {kCmdExportMask, "Write the face mask to a JPEG file\nExport Mask"},
    {kCmdImportVoice, "Import a WAV file as the voice of the animation\nImport Voice"},
    {kCmdExportVoice, "Write the voice to a WAV file\nExport Voice"},
    {kCmdRecordVoice, "Record a new voice with the microphone\nRecord Voice"},
    {kCmdSaveStream, "Write the animation as a stream file for the player\nSave Stream File"},
    {kCmdExportMedia, "Export the animation to a Windows Media file\nExport to Windows Media"},
    {kCmdSummary, "Show and edit the summary of the document\nSummary"},
    {kCmdOptions, "Change the options of the editor\nOptions"},
    {kCmdAbout, "Show the program's version and copyright\nAbout"},
    {kCmdHelpContents, "Open the user guide\nHelp"},
    {kCmdHelpIndex, "Open the index of the user guide\nHelp Index"},
    {kCmdHelpSearch, "Search the user guide\nSearch Help"},
    {kCmdWebPage, "Open the product's web page\nWeb Page"},
    {kCmdExit, "Quit the editor; asks to save changes\nExit"},
    {kCmdViewToolbar, "Show or hide the toolbar\nToggle Toolbar"},
    {kCmdViewProjectWindow, "Show or hide the Project Window\nToggle Project Window"},
    {kCmdViewListWindow, "Show or hide the List Window\nToggle List Window"},
    {kCmdViewStatusBar, "Show or hide the status bar\nToggle Status Bar"},
    {kCmdPlay, "Play the selection or the whole voice\nPlay"},
    {kCmdStop, "Stop playing\nStop"},
    {kCmdDemoMouth, "Show every mouth shape in turn\nMouth Demonstration"},
    {kCmdDemoBlink, "Blink the eyes\nBlink Demonstration"},
    {kCmdDemoHead, "Turn the head\nHead Demonstration"},
    {kCmdMute, "Mute or unmute the speakers\nMute"},
    {kCmdTogglePage, "Switch between the head view and the timeline\nSwitch Page"},
    {kCmdUndo, "Undo the last change of the head or the timeline\nUndo"},
    {kCmdRedo, "Redo the change undone last\nRedo"},
    {kCmdOrbitTool, "Turn the view around the head with the mouse\nOrbit"},
    {kCmdPanTool, "Move the view with the mouse\nPan"},
    {kCmdZoomTool, "Move closer or away with the mouse\nZoom"},
    {kCmdZoomBoxTool, "Drag a rectangle to look at it closely\nZoom Rectangle"},
    {kCmdLipSync, "Find the mouth shapes of the voice, with the spoken text when you give it\nLip-sync"},
    {kCmdHeadTurns, "Fill the head-turn track with natural movement along the visemes\nAutomatic Head Turns"},
    {kCmdResetCamera, "Show the head from the front again\nReset View"},
    {kCmdFitCamera, "Fit the whole head into the view\nFit View"},
    {kCmdDrawWireframe, "Show the mesh as lines\nWireframe"},
    {kCmdDrawFlat, "Show the mesh with flat shading\nFlat Shading"},
    {kCmdDrawTextured, "Show the mesh with the face photo\nTextured"},
    {kCmdShowEditLines, "Show or hide the editing lines\nEditing Lines"},
    {kCmdEditTool, "Drag points, lines and the fitting box\nEdit"},
    {kCmdMoveXY, "Drags move across the view\nMove Across"},
    {kCmdMoveZ, "Drags move into the view\nMove In Depth"},
    {kCmdShowCurrent, "Show the positions being edited\nCurrent Positions"},
    {kCmdShowReference, "Show the generic head's positions, read-only\nGeneric Positions"},
    {kCmdShowNeutral, "Show the stored neutral positions, read-only\nStored Positions"},
    {kCmdFitToLines, "Fit the mesh to the editing lines\nFit to Lines"},
    {kCmdNormalise, "Scale and centre the mesh\nNormalise"},
    {kCmdRevertDrag, "Take back the last drag\nRevert Drag"},
    {kCmdRestoreReference, "Put every point back where the generic head has it\nBack to Generic"},
    {kCmdRecentFirst, "Open this document\nRecent File"},
    {kCmdRecentFirst + 1, "Open this document\nRecent File"},
    {kCmdRecentFirst + 2, "Open this document\nRecent File"},
    {kCmdRecentFirst + 3, "Open this document\nRecent File"},
    {kStrReady, "Ready"},
    {kStrHeadState, "Head: %s, %d vertices, %d faces"},
    {kStrNoHead, "No head is loaded."},
    {kStrVoiceState, "Voice: %02d : %02d (%d samples)"},
    {kStrNoVoice, "No voice is loaded. Use File > Import Voice Recording to add one."},
    {kStrTrackCounts, "Visemes %d, expressions %d, head turns %d, events %d, sound clips %d"},
    {kStrListEntries, "%d entries"},
    {kStrListEmpty, "This list is empty."},
    {kStrPreviewTitle, "Preview"},
    {kStrMissingHelp, "The user guide %s is not installed."},
    {kStrYes, "&Yes"},
    {kStrNo, "&No"},
    {kStrCancel, "Cancel"},
    {kStrOk, "OK"},
    {kStrProjectWindow, "Project Window"},
    {kStrListWindow, "List Window"},
    {kStrToolbar, "Toolbar"},
    {kStrRecentEmpty, "(No recent files)"},
    {kStrMessageTitle, "Chattermask Studio"},
    {kStrRenameTitle, "Another Name"},
    {kStrRenamePrompt, "Enter another name for the new entry:"},
    {kStrVisemeFirst + 0, "<Neutral>"},
    {kStrVisemeFirst + 1, "p, b, m"},
    {kStrVisemeFirst + 2, "f, v"},
    {kStrVisemeFirst + 3, "T, D"},
    {kStrVisemeFirst + 4, "t, d"},
    {kStrVisemeFirst + 5, "k, g"},
    {kStrVisemeFirst + 6, "tS, dZ, S"},
    {kStrVisemeFirst + 7, "s, z"},
    {kStrVisemeFirst + 8, "n, l"},
    {kStrVisemeFirst + 9, "r"},
    {kStrVisemeFirst + 10, "A:"},
    {kStrVisemeFirst + 11, "e"},
    {kStrVisemeFirst + 12, "I"},
    {kStrVisemeFirst + 13, "Q"},
    {kStrVisemeFirst + 14, "U"},
    {kStrLipSyncTitle, "Lip-sync"},
    {kStrLipSyncPrompt, "&Spoken text:"},
    {kStrLipSyncNote, "The text is optional: with it the mouth shapes follow its words, without it they "
                      "are found from the sound alone."},
    {kStrLipSyncLoadText, "&Load Text File..."},
    {kStrFilterText, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"},
    {kStrTitleOpenText, "Load Spoken Text"},
    {kStrLipSyncProgressTitle, "Lip-sync"},
    {kStrLipSyncProgressText, "Finding the mouth shapes of the voice..."},
    {kStrElapsedTime, "Elapsed:%s"},
    {kStrRemainingTime, "   Remaining:%s"},
    {kStrLipSyncTextFile, "Text from %s"},
    {kStrLipSyncPlaceholder, "Type or paste the words the voice speaks."},
    {kStrLipSyncRecogniseWords, "&Recognise the words when no text is given (slower)"},
};

} // namespace

// The studio's texts, or null when `id` is not one of them.
const char* cmrtShellString(unsigned id)
{
    for (const StringEntry& entry : kShellStrings)
        if (entry.id == id)
            return entry.text;
    return nullptr;
}

unsigned cmrtShellStringCount()
{
    return static_cast<unsigned>(sizeof kShellStrings / sizeof kShellStrings[0]);
}

unsigned cmrtShellStringIdAt(unsigned index)
{
    return index < cmrtShellStringCount() ? kShellStrings[index].id : 0u;
}
