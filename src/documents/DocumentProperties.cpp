#include "documents/DocumentProperties.h"

#include <algorithm>
#include <cstring>

void copyToField(char* field, size_t fieldSize, const std::string& text)
{
    if (fieldSize == 0)
        return;
    size_t count = std::min(text.size(), fieldSize - 1);
    std::memset(field, 0, fieldSize);
    std::memcpy(field, text.data(), count);
}

std::string fieldText(const char* field, size_t fieldSize)
{
    const void* end = std::memchr(field, 0, fieldSize);
    size_t count = end ? static_cast<size_t>(static_cast<const char*>(end) - field) : fieldSize;
    return std::string(field, count);
}

std::string fitToField(const std::string& text, size_t fieldSize)
{
    if (fieldSize == 0)
        return {};
    return text.substr(0, std::min(text.find('\0'), fieldSize - 1));
}
