#pragma once

#include <optional>

// The one table of Bopomofo between Unicode and Big5: the recogniser reports its symbols in Big5, the
// resource file and JSON spell them in Unicode, and the phoneme table is ordered like the alphabet.

constexpr int kBopomofoLetterCount = 37;

// Big5 code (lead byte high) of a Unicode Bopomofo letter or tone mark; nothing for anything else.
std::optional<unsigned> big5FromCodePoint(char32_t codePoint);
// The Unicode code point of a Big5 Bopomofo letter or tone mark; nothing for anything else.
std::optional<char32_t> codePointFromBig5(unsigned big5);
// The letter's place in the alphabet (0 for ㄅ to 36 for ㄩ); -1 for tone marks and anything else.
int bopomofoLetterIndex(unsigned big5);
