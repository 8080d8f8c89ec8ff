#include "Common/Big5Bopomofo.h"

#include <array>

namespace {

// Unicode and Big5 list the 37 letters in the same order; Big5 breaks the run after the eleventh.
constexpr char32_t kFirstLetter = 0x3105; // ㄅ
constexpr unsigned kFirstRowStart = 0xA374;
constexpr unsigned kSecondRowStart = 0xA3A1;
constexpr int kLettersInFirstRow = 11;

struct ToneMark {
    char32_t codePoint;
    unsigned big5;
};
constexpr std::array<ToneMark, 4> kToneMarks{{{0x02D9, 0xA3BB}, {0x02CA, 0xA3BC}, {0x02C7, 0xA3BD}, {0x02CB, 0xA3BE}}};

} // namespace

int bopomofoLetterIndex(unsigned big5)
{
    if (big5 >= kFirstRowStart && big5 < kFirstRowStart + kLettersInFirstRow)
        return int(big5 - kFirstRowStart);
    if (big5 >= kSecondRowStart && big5 < kSecondRowStart + (kBopomofoLetterCount - kLettersInFirstRow))
        return kLettersInFirstRow + int(big5 - kSecondRowStart);
    return -1;
}

std::optional<unsigned> big5FromCodePoint(char32_t codePoint)
{
    if (codePoint >= kFirstLetter && codePoint < kFirstLetter + kBopomofoLetterCount) {
        const int index = int(codePoint - kFirstLetter);
        return index < kLettersInFirstRow ? kFirstRowStart + unsigned(index)
                                          : kSecondRowStart + unsigned(index - kLettersInFirstRow);
    }
    for (const ToneMark& mark : kToneMarks)
        if (mark.codePoint == codePoint)
            return mark.big5;
    return std::nullopt;
}

std::optional<char32_t> codePointFromBig5(unsigned big5)
{
    if (const int index = bopomofoLetterIndex(big5); index >= 0)
        return kFirstLetter + char32_t(index);
    for (const ToneMark& mark : kToneMarks)
        if (mark.big5 == big5)
            return mark.codePoint;
    return std::nullopt;
}
