#include "documents/DocumentStatus.h"

void DocumentStatus::setMessage(unsigned id, const std::string& about)
{
    if (failed())
        return; // the first failure is the one the user needs to see
    messageId = id;
    path = about;
}

void DocumentStatus::setFileError(FileError error, const std::string& about)
{
    if (failed())
        return;
    fileError = error;
    path = about;
}

std::string fileErrorText(DocumentStatus::FileError error, const std::string& path)
{
    switch (error) {
    case DocumentStatus::FileError::none:
        return {};
    case DocumentStatus::FileError::notFound:
        return path + " was not found.";
    case DocumentStatus::FileError::cannotCreate:
        return path + " could not be created.";
    case DocumentStatus::FileError::readFailed:
        return "An unexpected error occurred while reading " + path + ".";
    case DocumentStatus::FileError::writeFailed:
        return "An unexpected error occurred while writing " + path + ".";
    case DocumentStatus::FileError::endOfFile:
        return "An attempt was made to access " + path + " past its end.";
    }
    return {};
}
