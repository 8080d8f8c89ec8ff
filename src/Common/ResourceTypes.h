#pragma once

// The records the resource library exports by number, laid out as plain C data so that the library
// needs no other target and any front end (the studio, the command-line tool) can read it.
extern "C" {

// One menu entry. Entries are listed in order; `depth` 0 is a top-level menu, an entry of depth d + 1
// after one of depth d belongs to it. A popup has command 0.
struct CmrtMenuItem {
    unsigned command; // 0 for a popup or a separator
    const char* text; // "&File", "&New...\tCtrl+N"; null for a separator
    unsigned flags;   // kCmrtMenuPopup, kCmrtMenuSeparator, kCmrtMenuRecentFiles
    unsigned depth;
};

enum : unsigned { kCmrtMenuPopup = 1u, kCmrtMenuSeparator = 2u, kCmrtMenuRecentFiles = 4u };

// One accelerator: a key written as the portable key text ("Ctrl+Shift+S", "F5") and its command.
struct CmrtAccelerator {
    const char* key;
    unsigned command;
};

// One text of a dialog: control 0 is the caption, 1 the OK button, 2 the Cancel button.
struct CmrtDialogItem {
    unsigned control;
    const char* text;
};
}
