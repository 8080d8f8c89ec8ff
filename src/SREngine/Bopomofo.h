#pragma once
// Bopomofo letters and tone marks between UTF-8 (how the resource file spells them) and Big5 (how the
// recogniser reports them).

#include <optional>
#include <string>
#include <string_view>

namespace sylrecog {

// Big5 code of one Unicode Bopomofo letter or tone mark, lead byte high; nullopt for anything else.
std::optional<unsigned> big5FromCodePoint(char32_t codePoint);

// Converts a UTF-8 string of Bopomofo letters and tone marks to Big5 bytes; nullopt when the text holds
// anything else or is not valid UTF-8.
std::optional<std::string> big5FromUtf8(std::string_view utf8);

} // namespace sylrecog
