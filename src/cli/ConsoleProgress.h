#pragma once

#include <cstdint>

// The one Ctrl+C handler of the tool: while an object lives, Ctrl+C cancels the running task instead
// of killing the process, so the task can delete what it made. It also shows per-mille progress on
// standard error when that is a terminal.
class ConsoleProgress {
public:
    ConsoleProgress();
    ~ConsoleProgress();
    ConsoleProgress(const ConsoleProgress&) = delete;
    ConsoleProgress& operator=(const ConsoleProgress&) = delete;
    // Shows `perMille`; false once the user pressed Ctrl+C.
    bool report(int perMille);
    // True once the user pressed Ctrl+C.
    bool interrupted() const;

private:
    void (*previousHandler_)(int) = nullptr;
    bool terminal_ = false;
    int shown_ = -1;
};
