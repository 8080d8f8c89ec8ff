#pragma once

#include "Common/CommandLineInfo.h"

#include <QStringList>

#include <memory>

class CChattermaskEditorMainFrame;
class CRecorderDialog;
class QApplication;
struct RecordingTake;

// The application object: start-up in its fixed order (resource library first, then content root,
// command line, processor path, title, settings, frame, splash, first document), the run, and the
// shutdown that destroys the frame before the resource library goes.
class CChattermaskApp {
public:
    // Exit codes of a start-up that did not get to the message loop.
    static constexpr int kExitMissingLibrary = 2, kExitNoWindow = 1;

    explicit CChattermaskApp(QApplication& app);
    ~CChattermaskApp();

    // Runs start-up with `arguments` (without the program name); 0 when the main window is shown,
    // else the exit code.
    int start(const QStringList& arguments);
    // Start-up, the message loop and the shutdown.
    int run(const QStringList& arguments);

    CChattermaskEditorMainFrame* frame() const { return frame_.get(); }
    const CommandLineInfo& commandLine() const { return commandLine_; }
    // Destroys the main window (the "temp" file goes with it) and frees the resource library.
    void exitInstance();

private:
    // The frame's recorder: the recorder dialog on the system's sound input.
    bool record(RecordingTake& take);

    QApplication& app_;
    CommandLineInfo commandLine_;
    std::unique_ptr<CChattermaskEditorMainFrame> frame_;
    std::unique_ptr<CRecorderDialog> recorderDialog_;
    bool libraryLoaded_ = false;
};
