#pragma once

#include "shell/ExportDialog.h"

#include <functional>

class CChattermaskEditorMainFrame;
class ProjectSession;
class ShellDialogs;
class QWidget;

// The project editor's Windows Media export: the options (dialog 176), the save dialog, the export
// under a progress dialog that cancels, and the failure messages. The export itself is the session's.
class MediaExportCommand {
public:
    // Asks for the export options, starting from the defaults; false on Cancel.
    using OptionsQuestion = std::function<bool(ExportOptions&)>;

    // Without `ask` the options come from dialog 176 over `parent`.
    MediaExportCommand(QWidget* parent, ProjectSession& session, ShellDialogs& dialogs,
                       OptionsQuestion ask = {});
    // One run of the command; true when the file (and the page, when asked) was written.
    bool run();

private:
    QWidget* parent_;
    ProjectSession& session_;
    ShellDialogs& dialogs_;
    OptionsQuestion ask_;
};

// The frame's export hook: the command over the frame's session and dialogs.
std::function<void()> mediaExportFor(CChattermaskEditorMainFrame& frame);
