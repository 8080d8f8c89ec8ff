#pragma once

#include <string>

// Why a document operation failed, in the terms the user is told: a resource message number with its
// arguments, or a file-layer error about one path. Filled by readers and writers, shown by the caller.
struct DocumentStatus {
    enum class FileError { none, notFound, cannotCreate, readFailed, writeFailed, endOfFile };

    unsigned messageId = 0;    // 0xE820..0xE823 when the documents layer names a message
    std::string path;          // the file the message or file error is about
    unsigned versionFound = 0; // for 0xE821
    FileError fileError = FileError::none;

    bool failed() const { return messageId != 0 || fileError != FileError::none; }
    void setMessage(unsigned id, const std::string& about);
    void setFileError(FileError error, const std::string& about);
    void clear() { *this = DocumentStatus(); }
};

// Message numbers of the resource library used by the documents layer.
constexpr unsigned kMsgBadProjectSignature = 0xE820; // formatted with the path
constexpr unsigned kMsgVersionTooNew = 0xE821;       // formatted with the version found and 9
constexpr unsigned kMsgPackRefused = 0xE822;         // refused chunk tag or no temporary file
constexpr unsigned kMsgBadPackSignature = 0xE823;    // formatted with the path
constexpr unsigned kMsgStreamFailed = 0xE82F;

// The file layer's standard text for a file error, with the path filled in.
std::string fileErrorText(DocumentStatus::FileError error, const std::string& path);
