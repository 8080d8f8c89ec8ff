#include "SREngine/Bopomofo.h"

#include "Common/Big5Bopomofo.h"

namespace sylrecog {
namespace {

// Decodes one UTF-8 sequence at text[pos]; advances pos. nullopt for malformed input.
std::optional<char32_t> nextCodePoint(std::string_view text, size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    size_t extra = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        value = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        value = lead & 0x0F;
    } else {
        return std::nullopt;
    }
    if (pos + extra >= text.size())
        return std::nullopt;
    for (size_t i = 1; i <= extra; ++i) {
        const auto cont = static_cast<unsigned char>(text[pos + i]);
        if ((cont & 0xC0) != 0x80)
            return std::nullopt;
        value = (value << 6) | (cont & 0x3F);
    }
    pos += extra + 1;
    return value;
}

} // namespace

std::optional<std::string> big5FromUtf8(std::string_view utf8)
{
    std::string big5;
    size_t pos = 0;
    while (pos < utf8.size()) {
        const auto codePoint = nextCodePoint(utf8, pos);
        if (!codePoint)
            return std::nullopt;
        const auto code = ::big5FromCodePoint(*codePoint);
        if (!code)
            return std::nullopt;
        big5.push_back(static_cast<char>(*code >> 8));
        big5.push_back(static_cast<char>(*code & 0xFF));
    }
    return big5;
}

} // namespace sylrecog
