#include "player/ui/PlayerWindowMain.h"

#include "player/ui/CPlayerWindow.h"

#include <QApplication>

#include <cstddef>
#include <cstdlib>
#include <cstring>

#ifdef __linux__
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

#ifdef __linux__
// An X server on this machine listens on a socket named after its display number, in the abstract
// namespace and as a file; either answering is enough.
bool localXServerAnswers(const std::string& number)
{
    const std::string path = "/tmp/.X11-unix/X" + number;
    for (const bool abstract : {true, false}) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::size_t offset = abstract ? 1 : 0;
        std::memcpy(address.sun_path + offset, path.c_str(), path.size());
        const auto length =
            socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
        const bool answered = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
        ::close(fd);
        if (answered)
            return true;
    }
    return false;
}
#endif

// DISPLAY is [host]:number[.screen]; only a local server can be asked without the toolkit.
bool xDisplayAnswers(const std::string& display)
{
#ifdef __linux__
    const std::size_t colon = display.rfind(':');
    if (colon == std::string::npos)
        return false;
    const std::string host = display.substr(0, colon);
    std::string number = display.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return false;
    return (!host.empty() && host != "unix") || localXServerAnswers(number);
#else
    return !display.empty();
#endif
}

} // namespace

bool windowSystemAvailable(std::string& why)
{
    const std::string platform = environment("QT_QPA_PLATFORM");
    // The platforms that draw without a display (offscreen, minimal, vnc, ...) need nothing here.
    if (!platform.empty() && platform.rfind("xcb", 0) != 0 && platform.rfind("wayland", 0) != 0)
        return true;
#ifdef __linux__
    if (!environment("WAYLAND_DISPLAY").empty() && platform.rfind("xcb", 0) != 0)
        return true;
    const std::string display = environment("DISPLAY");
    if (display.empty()) {
        why = "no display to show the window on (DISPLAY is not set)";
        return false;
    }
    if (!xDisplayAnswers(display)) {
        why = "no display to show the window on (nothing answers on DISPLAY " + display + ")";
        return false;
    }
#endif
    return true;
}

int runPlayerWindow(int argc, char** argv, const std::string& file,
                    const std::filesystem::path& expressionsFolder)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Chattermask Player"));
    CPlayerWindow window(expressionsFolder);
    window.show();
    if (!file.empty())
        window.openFile(QString::fromLocal8Bit(file.c_str()));
    return QApplication::exec();
}
