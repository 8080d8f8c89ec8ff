// The texts of the dialogs and the toolbar button lists, by number. The studio lays the dialogs out in
// code; every word on them comes from here.
#include "Common/ResourceIds.h"
#include "Common/ResourceTypes.h"
#include "ToolbarData.h"

namespace {

using namespace res;

struct DialogTexts {
    unsigned id;
    const CmrtDialogItem* items;
    unsigned count;
};

const CmrtDialogItem kNewDialog[] = {
    {0, "New Document"},
    {1, "OK"},
    {2, "Cancel"},
    {1001, "Start the new document from the default head:"},
    {1002, "&Male head"},
    {1003, "&Female head"},
};

// Controls 1173, 1025, 1174, 1175, 1026 and 1027 are the timeline's; the head definition editor
// has no timeline and disables them.
const CmrtDialogItem kOptionsDialog[] = {
    {0, "Options"},
    {1, "OK"},
    {2, "Cancel"},
    {1170, "Window"},
    {1171, "Show the toolbar &floating"},
    {1172, "&Keep the size of the docked windows"},
    {1173, "Timeline"},
    {1025, "Show times in &minutes and seconds"},
    {1174, "Playback &indicator colour:"},
    {1175, "&Waveform colour:"},
    {1026, "Choose..."},
    {1027, "Choose..."},
};

const CmrtDialogItem kSummaryDialog[] = {
    {0, "Summary"},
    {1, "OK"},
    {2, "Cancel"},
    {1101, "&Category:"},
    {1102, "Ti&tle:"},
    {1103, "&Subject:"},
    {1104, "&Author:"},
    {1105, "&Keywords:"},
    {1106, "C&omments:"},
    {1107, "Other"},
};

const CmrtDialogItem kCompanionDialog[] = {
    {0, "Tell the Companion Program"},
    {1, "Tell It"},
    {2, "Don't Tell"},
    {1201, "A companion program is running. Tell it that this file was saved?"},
};

const CmrtDialogItem kAboutDialog[] = {
    {0, "About Chattermask Studio"},
    {1, "OK"},
};

const CmrtDialogItem kNameDialog[] = {
    {0, "Add Teeth"},
    {1, "OK"},
    {2, "Cancel"},
};

// The profile list (1053) holds the export's stock profile names, which the program supplies.
const CmrtDialogItem kExportDialog[] = {
    {0, "Export to Windows Media"},
    {1, "Export"},
    {2, "Cancel"},
    {1051, "Export as"},
    {1054, "&Video: the head drawn in every frame, for any Windows Media player"},
    {1055, "&Animation stream: the head and its movements, for the Chattermask player"},
    {1053, "&Quality of the video:"},
    {1100, "Also write a &web page that shows the file"},
};

const CmrtDialogItem kSplashDialog[] = {
    {0, "Chattermask Studio"},
    {1301, "Loading the head..."},
};

#define CMRT_DIALOG(id, table) DialogTexts{id, table, sizeof table / sizeof table[0]}
const DialogTexts kDialogs[] = {
    CMRT_DIALOG(kDialogNew, kNewDialog),         CMRT_DIALOG(kDialogOptions, kOptionsDialog),
    CMRT_DIALOG(kDialogSummary, kSummaryDialog), CMRT_DIALOG(kDialogCompanion, kCompanionDialog),
    CMRT_DIALOG(kDialogAbout, kAboutDialog),     CMRT_DIALOG(kDialogName, kNameDialog),
    CMRT_DIALOG(kDialogSplash, kSplashDialog),   CMRT_DIALOG(kDialogExport, kExportDialog),
};
#undef CMRT_DIALOG

} // namespace

extern "C" __attribute__((visibility("default"))) const CmrtDialogItem* cmrtLoadDialog(unsigned id, unsigned* count)
{
    for (const DialogTexts& dialog : kDialogs)
        if (dialog.id == id) {
            if (count)
                *count = dialog.count;
            return dialog.items;
        }
    if (count)
        *count = 0;
    return nullptr;
}

extern "C" __attribute__((visibility("default"))) const unsigned* cmrtLoadToolbar(unsigned id, unsigned* count)
{
    for (const cmrtdata::ToolbarStrip& strip : cmrtdata::kToolbarStrips)
        if (strip.id == id) {
            if (count)
                *count = strip.count;
            return strip.commands;
        }
    if (count)
        *count = 0;
    return nullptr;
}
