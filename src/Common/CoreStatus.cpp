#include "Common/CoreStatus.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

void CoreStatus::setMessage(unsigned id, std::vector<Argument> messageArguments, const std::string& about)
{
    if (failed())
        return;
    messageId = id;
    arguments = std::move(messageArguments);
    path = about;
}

void CoreStatus::setFileError(FileError error, const std::string& about)
{
    if (failed())
        return;
    fileError = error;
    path = about;
}

std::string fileErrorText(CoreStatus::FileError error, const std::string& path)
{
    switch (error) {
    case CoreStatus::FileError::none:
        return {};
    case CoreStatus::FileError::notFound:
        return path + " was not found.";
    case CoreStatus::FileError::cannotCreate:
        return path + " could not be created.";
    case CoreStatus::FileError::readFailed:
        return "An unexpected error occurred while reading " + path + ".";
    case CoreStatus::FileError::writeFailed:
        return "An unexpected error occurred while writing " + path + ".";
    case CoreStatus::FileError::endOfFile:
        return "An attempt was made to access " + path + " past its end.";
    }
    return {};
}

namespace {

template <typename Value> std::string printed(const std::string& conversion, Value value)
{
    const int size = std::snprintf(nullptr, 0, conversion.c_str(), value);
    if (size < 0)
        return conversion;
    std::string text(static_cast<size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), conversion.c_str(), value);
    text.resize(static_cast<size_t>(size));
    return text;
}

long long numberOf(const CoreStatus::Argument& argument)
{
    return std::holds_alternative<long long>(argument) ? std::get<long long>(argument)
                                                       : std::atoll(std::get<std::string>(argument).c_str());
}

std::string textOf(const CoreStatus::Argument& argument)
{
    return std::holds_alternative<std::string>(argument) ? std::get<std::string>(argument)
                                                         : std::to_string(std::get<long long>(argument));
}

// One conversion: `conversion` is "%" with its flags, width and precision; length modifiers are our own.
std::string formatOne(const std::string& conversion, char type, const CoreStatus::Argument& argument)
{
    if (type == 's')
        return printed(conversion + 's', textOf(argument).c_str());
    if (type == 'c')
        return printed(conversion + 'c', static_cast<int>(numberOf(argument)));
    return printed(conversion + "ll" + type, numberOf(argument));
}

constexpr std::string_view kFlags = "-+ #0123456789.";
constexpr std::string_view kLengths = "hlLqjzt";
constexpr std::string_view kTypes = "diuxXocs";

} // namespace

std::string formatMessage(const std::string& pattern, const std::vector<CoreStatus::Argument>& arguments)
{
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            out += pattern[i];
            continue;
        }
        if (pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < pattern.size() && kFlags.find(pattern[end]) != std::string_view::npos)
            ++end;
        const std::string conversion = pattern.substr(i, end - i);
        while (end < pattern.size() && kLengths.find(pattern[end]) != std::string_view::npos)
            ++end;
        if (end == pattern.size() || kTypes.find(pattern[end]) == std::string_view::npos || next == arguments.size()) {
            out += pattern.substr(i, end - i + (end < pattern.size() ? 1 : 0));
        } else {
            out += formatOne(conversion, pattern[end], arguments[next++]);
        }
        i = end;
    }
    return out;
}
