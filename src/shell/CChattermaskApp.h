#pragma once

#include "Common/CommandLineInfo.h"

#include <QStringList>

#include <memory>

class CChattermaskEditorMainFrame;
class QApplication;

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
    QApplication& app_;
    CommandLineInfo commandLine_;
    std::unique_ptr<CChattermaskEditorMainFrame> frame_;
    bool libraryLoaded_ = false;
};
