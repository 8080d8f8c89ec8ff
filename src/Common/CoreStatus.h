#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Why a core operation failed, in the terms the user is told: a message number of the resource
// library with the arguments it is formatted with, or a file-layer error about one path. Filled by the
// core, shown by the front end (a message box in the studio, a line on standard error in the CLI).
struct CoreStatus {
    enum class FileError { none, notFound, cannotCreate, readFailed, writeFailed, endOfFile };
    using Argument = std::variant<long long, std::string>;

    unsigned messageId = 0;
    std::vector<Argument> arguments; // in the order the message's printf pattern takes them
    FileError fileError = FileError::none;
    std::string path;   // the file the failure is about
    std::string detail; // an outside library's own reason, for a log or standard error

    bool failed() const { return messageId != 0 || fileError != FileError::none; }
    // The first failure is the one the user needs to see: later ones are ignored.
    void setMessage(unsigned id, std::vector<Argument> messageArguments = {}, const std::string& about = {});
    void setFileError(FileError error, const std::string& about);
    void clear() { *this = CoreStatus(); }
};

// The file layer's standard text for a file error, with the path filled in.
std::string fileErrorText(CoreStatus::FileError error, const std::string& path);

// `pattern` (a printf pattern of the resource library) with `arguments` filled in one per conversion;
// a missing argument leaves its conversion as written, a mismatched kind is converted.
std::string formatMessage(const std::string& pattern, const std::vector<CoreStatus::Argument>& arguments);
