#pragma once

// Numbers of the resource library's entries that more than one side names: the library defines them,
// the programs ask for them. Commands are also the numbers of their prompt strings.
namespace res {

// Menus, toolbars, accelerators, bitmaps and dialogs.
constexpr unsigned kMenuProject = 128, kMenuHeadDefinition = 179, kMenuHeadAnimation = 180;
constexpr unsigned kToolbarProject = 180, kToolbarHeadDefinition = 204, kToolbarHeadAnimation = 205;
constexpr unsigned kToolbarMenuIcons = 137, kToolbarEditView = 135, kToolbarEditPanel = 159;
constexpr unsigned kBitmapHotProject = 183, kBitmapHotHeadDefinition = 208, kBitmapHotHeadAnimation = 207;
constexpr unsigned kBitmapEditView = 145, kBitmapEditPanel = 162;
constexpr unsigned kBitmapSoundOn = 150, kBitmapMuted = 249;
constexpr unsigned kBitmapSplash = 253;
constexpr unsigned kBitmapAppIcon = 128;
constexpr unsigned kAccelerators = 128;
constexpr unsigned kDialogSplash = 254, kDialogNew = 179, kDialogOptions = 104, kDialogCompanion = 228;
constexpr unsigned kDialogSummary = 233, kDialogAbout = 100, kDialogName = 59490;
constexpr unsigned kDialogExport = 176;

// Commands.
constexpr unsigned kCmdNew = 32844, kCmdOpen = 32771, kCmdSave = 32843, kCmdSaveAs = 32849;
constexpr unsigned kCmdSaveAsHeadDefinition = 32850, kCmdSaveAsHeadAnimation = 32851;
constexpr unsigned kCmdOpenHeadDefinition = 32847, kCmdOpenHeadAnimation = 32848;
constexpr unsigned kCmdImportFace = 32840, kCmdImportMask = 32842, kCmdExportFace = 32852,
                   kCmdExportMask = 32853;
constexpr unsigned kCmdImportVoice = 32841, kCmdExportVoice = 32854, kCmdRecordVoice = 33054;
constexpr unsigned kCmdSaveStream = 32772, kCmdExportMedia = 32862, kCmdSummary = 32895, kCmdOptions = 33069;
constexpr unsigned kCmdAbout = 57664, kCmdHelpContents = 40016, kCmdHelpIndex = 57666, kCmdHelpSearch = 33018;
constexpr unsigned kCmdWebPage = 33048, kCmdExit = 57665;
constexpr unsigned kCmdViewToolbar = 59410, kCmdViewProjectWindow = 32794, kCmdViewListWindow = 32883;
constexpr unsigned kCmdViewStatusBar = 59393;
constexpr unsigned kCmdPlay = 33038, kCmdStop = 33039, kCmdDemoMouth = 33040, kCmdDemoBlink = 33041;
constexpr unsigned kCmdDemoHead = 33042, kCmdMute = 33045;
constexpr unsigned kCmdTogglePage = 33063;
// The timeline's commands of the project editor: the lip-sync analysis and the automatic head turns.
constexpr unsigned kCmdLipSync = 33055, kCmdHeadTurns = 33056;
constexpr unsigned kCmdRecentFirst = 57616, kRecentFileCount = 4;
constexpr unsigned kCmdUndo = 57643, kCmdRedo = 57644;
// Edit view commands: the 3D view answers them (its own numbers name them the same); the frame only
// places them on the edit panel's two tool bars.
constexpr unsigned kCmdOrbitTool = 33049, kCmdPanTool = 33051, kCmdZoomTool = 33052, kCmdZoomBoxTool = 33053;
constexpr unsigned kCmdResetCamera = 33057, kCmdFitCamera = 33058;
constexpr unsigned kCmdDrawWireframe = 33064, kCmdDrawFlat = 33065, kCmdDrawTextured = 33066;
constexpr unsigned kCmdShowEditLines = 33067, kCmdEditTool = 33068, kCmdMoveXY = 33081, kCmdMoveZ = 33083;
constexpr unsigned kCmdShowCurrent = 33084, kCmdShowReference = 33085, kCmdShowNeutral = 33086;
constexpr unsigned kCmdFitToLines = 33078, kCmdNormalise = 33079, kCmdRevertDrag = 33103;
constexpr unsigned kCmdRestoreReference = 33104;

// Texts.
constexpr unsigned kStrTabHead = 20000, kStrTabTimeline = 20001;
constexpr unsigned kStrListVisemes = 59476, kStrListTeeth = 59480;
constexpr unsigned kStrNoTeeth = 59414, kStrTeethNameTitle = 59490, kStrTeethNamePrompt = 59491;
constexpr unsigned kStrFilterPicture = 59494, kStrFilterWave = 59495, kStrFilterStream = 59496;
constexpr unsigned kStrFilterMedia = 59497, kStrFilterProject = 59499;
constexpr unsigned kStrFilterHeadDefinition = 59500, kStrFilterHeadAnimation = 59501;
constexpr unsigned kStrTitleExportPicture = 59503, kStrTitleSaveRecording = 59504,
                   kStrTitleSaveStream = 59505;
constexpr unsigned kStrTitleExportMedia = 59506;
constexpr unsigned kStrTitleSaveHeadDefinition = 59508, kStrTitleSaveHeadAnimation = 59509;
constexpr unsigned kStrTitleSaveProject = 59510, kStrTitleOpenPicture = 59511, kStrTitleImportVoice = 59512;
constexpr unsigned kStrTitleOpenHeadDefinition = 59513, kStrTitleOpenHeadAnimation = 59514;
constexpr unsigned kStrTitleOpenProject = 59515, kStrUntitled = 59516;
constexpr unsigned kStrAboutFirst = 10000, kStrAboutMaker = 25024, kStrAboutRights = 59549;
constexpr unsigned kStrProgressStream = 137, kStrProgressStep = 59533;
constexpr unsigned kStrSummaryCategoryFirst = 30001;
constexpr unsigned kStrPageHead =
    0xE864; // the toggle's text while the second page shows; the next one otherwise
constexpr unsigned kStrReady = 0xE001;
// Placeholder texts of the panes whose windows are not in this program yet, and the button texts.
constexpr unsigned kStrHeadState = 0xE010, kStrNoHead = 0xE011, kStrVoiceState = 0xE012, kStrNoVoice = 0xE013;
constexpr unsigned kStrTrackCounts = 0xE014, kStrListEntries = 0xE015, kStrListEmpty = 0xE016;
constexpr unsigned kStrPreviewTitle = 0xE017, kStrMissingHelp = 0xE018;
constexpr unsigned kStrYes = 0xE020, kStrNo = 0xE021, kStrCancel = 0xE022, kStrOk = 0xE023;
constexpr unsigned kStrProjectWindow = 0xE024, kStrListWindow = 0xE025, kStrToolbar = 0xE026;
constexpr unsigned kStrRecentEmpty = 0xE027, kStrMessageTitle = 0xE028;
constexpr unsigned kStrRenameTitle = 0xE029, kStrRenamePrompt = 0xE02A;
constexpr unsigned kStrVisemeFirst = 0xE030;    // the fifteen viseme names
// The lip-sync dialog, its progress dialog and the elapsed and remaining time line (each time text
// comes with its own spaces).
constexpr unsigned kStrLipSyncTitle = 0xE040, kStrLipSyncPrompt = 0xE041, kStrLipSyncNote = 0xE042;
constexpr unsigned kStrLipSyncLoadText = 0xE043, kStrFilterText = 0xE044, kStrTitleOpenText = 0xE045;
constexpr unsigned kStrLipSyncProgressTitle = 0xE046, kStrLipSyncProgressText = 0xE047;
constexpr unsigned kStrElapsedTime = 0xE048, kStrRemainingTime = 0xE049;
constexpr unsigned kStrLipSyncTextFile = 0xE04A; // formatted with the file's name
constexpr unsigned kStrLipSyncPlaceholder = 0xE04B;
constexpr unsigned kStrLipSyncRecogniseWords = 0xE04C;
constexpr unsigned kStrExpressionFirst = 59538; // the seven expression names

} // namespace res
