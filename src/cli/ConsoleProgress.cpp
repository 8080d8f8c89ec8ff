#include "cli/ConsoleProgress.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t interruptedFlag = 0;

extern "C" void onInterrupt(int)
{
    interruptedFlag = 1;
}
} // namespace

ConsoleProgress::ConsoleProgress() : terminal_(isatty(fileno(stderr)) != 0)
{
    interruptedFlag = 0;
    previousHandler_ = std::signal(SIGINT, onInterrupt);
}

ConsoleProgress::~ConsoleProgress()
{
    std::signal(SIGINT, previousHandler_ == SIG_ERR ? SIG_DFL : previousHandler_);
    if (terminal_ && shown_ >= 0)
        std::fputc('\n', stderr);
}

bool ConsoleProgress::report(int perMille)
{
    if (terminal_ && perMille / 10 != shown_ / 10) {
        shown_ = perMille;
        std::fprintf(stderr, "\r%3d%%", perMille / 10);
        std::fflush(stderr);
    }
    return interruptedFlag == 0;
}

bool ConsoleProgress::interrupted() const
{
    return interruptedFlag != 0;
}
