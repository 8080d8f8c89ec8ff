#pragma once
// Bopomofo letters and tone marks between UTF-8 (how the resource file spells them) and Big5 (how the
// recogniser reports them).

#include <optional>
#include <string>
#include <string_view>

namespace sylrecog {

// Converts a UTF-8 string of Bopomofo letters and tone marks to Big5 bytes; nullopt when the text holds
// anything else or is not valid UTF-8.
std::optional<std::string> big5FromUtf8(std::string_view utf8);

} // namespace sylrecog
