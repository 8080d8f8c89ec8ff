#include "lipsync/ScriptText.h"

#include <array>
#include <cctype>

namespace {

constexpr std::array<const char*, 20> kOnes{"zero",    "one",     "two",       "three",    "four",
                                            "five",    "six",     "seven",     "eight",    "nine",
                                            "ten",     "eleven",  "twelve",    "thirteen", "fourteen",
                                            "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
constexpr std::array<const char*, 10> kTens{"",      "",      "twenty",  "thirty", "forty",
                                            "fifty", "sixty", "seventy", "eighty", "ninety"};

struct Ordinal {
    const char* cardinal;
    const char* ordinal;
};
constexpr std::array<Ordinal, 12> kIrregularOrdinals{{{"one", "first"},
                                                      {"two", "second"},
                                                      {"three", "third"},
                                                      {"five", "fifth"},
                                                      {"eight", "eighth"},
                                                      {"nine", "ninth"},
                                                      {"twelve", "twelfth"},
                                                      {"twenty", "twentieth"},
                                                      {"thirty", "thirtieth"},
                                                      {"forty", "fortieth"},
                                                      {"fifty", "fiftieth"},
                                                      {"ninety", "ninetieth"}}};

constexpr unsigned long long kMaxNumber = 999999999999ULL;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void belowThousand(unsigned value, std::vector<std::string>& out)
{
    if (value >= 100) {
        out.emplace_back(kOnes[value / 100]);
        out.emplace_back("hundred");
        value %= 100;
        if (value == 0)
            return;
    }
    if (value < 20) {
        out.emplace_back(kOnes[value]);
        return;
    }
    out.emplace_back(kTens[value / 10]);
    if (value % 10)
        out.emplace_back(kOnes[value % 10]);
}

void digitsOneByOne(std::string_view digits, std::vector<std::string>& out)
{
    for (char c : digits)
        out.emplace_back(kOnes[static_cast<size_t>(c - '0')]);
}

// "1984" is said as two pairs; "1900" and "2000" are not years said that way.
bool soundsLikeYear(unsigned long long value)
{
    return value >= 1100 && value <= 1999 && value % 100 != 0;
}

void wholeNumber(std::string_view digits, std::vector<std::string>& out)
{
    if (digits.size() > 12) {
        digitsOneByOne(digits, out);
        return;
    }
    const unsigned long long value = std::stoull(std::string(digits));
    if (digits.size() == 4 && soundsLikeYear(value)) {
        belowThousand(static_cast<unsigned>(value / 100), out);
        const unsigned rest = static_cast<unsigned>(value % 100);
        if (rest < 10)
            out.emplace_back("oh");
        belowThousand(rest, out);
        return;
    }
    const auto words = numberWords(value);
    out.insert(out.end(), words.begin(), words.end());
}

void makeOrdinal(std::vector<std::string>& words)
{
    if (words.empty())
        return;
    std::string& last = words.back();
    for (const auto& irregular : kIrregularOrdinals)
        if (last == irregular.cardinal) {
            last = irregular.ordinal;
            return;
        }
    if (last.back() == 'y') {
        last.pop_back();
        last += "ieth";
        return;
    }
    last += "th";
}

bool startsWith(std::string_view text, size_t pos, std::string_view prefix)
{
    if (pos + prefix.size() > text.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[pos + i])) != prefix[i])
            return false;
    return true;
}

// A number at text[pos]: digits with thousands commas, an optional decimal part and an ordinal suffix.
size_t readNumber(std::string_view text, size_t pos, std::vector<std::string>& out)
{
    std::string digits;
    size_t at = pos;
    while (at < text.size()) {
        if (isDigit(text[at])) {
            digits += text[at++];
        } else if (text[at] == ',' && at + 3 < text.size() && isDigit(text[at + 1]) &&
                   isDigit(text[at + 2]) && isDigit(text[at + 3]) &&
                   (at + 4 >= text.size() || !isDigit(text[at + 4]))) {
            ++at; // a thousands separator
        } else {
            break;
        }
    }
    std::vector<std::string> words;
    wholeNumber(digits, words);
    if (at + 1 < text.size() && text[at] == '.' && isDigit(text[at + 1])) {
        const size_t from = ++at;
        while (at < text.size() && isDigit(text[at]))
            ++at;
        words.emplace_back("point");
        digitsOneByOne(text.substr(from, at - from), words);
    } else {
        for (const char* suffix : {"st", "nd", "rd", "th"})
            if (startsWith(text, at, suffix) && (at + 2 >= text.size() || !isLetter(text[at + 2]))) {
                makeOrdinal(words);
                at += 2;
                break;
            }
    }
    out.insert(out.end(), words.begin(), words.end());
    return at;
}

// The base letter of a two-byte UTF-8 Latin-1 letter (lead byte 0xC3), or 0.
char baseOfAccented(unsigned char trail)
{
    static const char kBase[] = "aaaaaaeceeeeiiiidnooooo/ouuuuyty";
    if (trail == 0x9F)
        return 's';
    if (trail < 0xA0 || trail > 0xBF)
        return trail >= 0x80 && trail < 0xA0 ? kBase[trail - 0x80] : 0;
    return kBase[trail - 0xA0];
}

class WordSplitter {
public:
    explicit WordSplitter(std::string_view text) : text_(text) {}

    std::vector<std::string> split()
    {
        size_t pos = 0;
        while (pos < text_.size())
            pos = step(pos);
        flush();
        return std::move(words_);
    }

private:
    size_t step(size_t pos)
    {
        const char c = text_[pos];
        if (isLetter(c)) {
            word_ += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return pos + 1;
        }
        if (c == '\'' && !word_.empty() && pos + 1 < text_.size() && isLetter(text_[pos + 1])) {
            word_ += c;
            return pos + 1;
        }
        if (static_cast<unsigned char>(c) == 0xC3 && pos + 1 < text_.size()) {
            if (const char base = baseOfAccented(static_cast<unsigned char>(text_[pos + 1]));
                base && base != '/') {
                word_ += base;
                return pos + 2;
            }
        }
        flush();
        if (isDigit(c))
            return readNumber(text_, pos, words_);
        if (c == '&')
            words_.emplace_back("and");
        else if (c == '%')
            words_.emplace_back("percent");
        else if (c == '+')
            words_.emplace_back("plus");
        return pos + 1;
    }

    void flush()
    {
        if (!word_.empty())
            words_.push_back(std::move(word_));
        word_.clear();
    }

    std::string_view text_;
    std::string word_;
    std::vector<std::string> words_;
};

} // namespace

std::vector<std::string> numberWords(unsigned long long value)
{
    std::vector<std::string> out;
    if (value > kMaxNumber)
        value = kMaxNumber;
    if (value == 0)
        return {"zero"};
    static const char* const kScales[] = {"billion", "million", "thousand"};
    unsigned long long divisor = 1000000000ULL;
    for (const char* scale : kScales) {
        if (value >= divisor) {
            belowThousand(static_cast<unsigned>(value / divisor), out);
            out.emplace_back(scale);
            value %= divisor;
        }
        divisor /= 1000;
    }
    if (value)
        belowThousand(static_cast<unsigned>(value), out);
    return out;
}

std::vector<std::string> scriptWords(std::string_view utf8)
{
    return WordSplitter(utf8).split();
}
