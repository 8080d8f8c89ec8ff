#include "lipsync/LetterToSound.h"

#include <sstream>
#include <string_view>

namespace {

struct Rule {
    const char* letters;
    const char* phones; // space-separated; "" for silent letters
};

// Longest spelling first within each leading letter; the first rule whose letters match wins.
constexpr Rule kRules[] = {
    {"tion", "SH AH N"}, {"sion", "ZH AH N"}, {"ough", "AO"}, {"augh", "AO"}, {"eigh", "EY"}, {"tch", "CH"},
    {"dge", "JH"},       {"igh", "AY"},       {"sch", "S K"}, {"que", "K"},   {"ph", "F"},    {"sh", "SH"},
    {"ch", "CH"},        {"th", "TH"},        {"wh", "W"},    {"ck", "K"},    {"ng", "NG"},   {"qu", "K W"},
    {"kn", "N"},         {"wr", "R"},         {"gh", "G"},    {"mb", "M"},    {"ee", "IY"},   {"ea", "IY"},
    {"oo", "UW"},        {"ou", "AW"},        {"ow", "OW"},   {"oa", "OW"},   {"oi", "OY"},   {"oy", "OY"},
    {"ai", "EY"},        {"ay", "EY"},        {"au", "AO"},   {"aw", "AO"},   {"ei", "EY"},   {"ey", "EY"},
    {"ie", "IY"},        {"ue", "UW"},        {"ew", "UW"},   {"ar", "AA R"}, {"er", "ER"},   {"ir", "ER"},
    {"ur", "ER"},        {"or", "AO R"},      {"ll", "L"},    {"ss", "S"},    {"tt", "T"},    {"pp", "P"},
    {"bb", "B"},         {"dd", "D"},         {"ff", "F"},    {"gg", "G"},    {"mm", "M"},    {"nn", "N"},
    {"rr", "R"},         {"zz", "Z"},         {"cc", "K"},    {"a", "AE"},    {"b", "B"},     {"c", "K"},
    {"d", "D"},          {"e", "EH"},         {"f", "F"},     {"g", "G"},     {"h", "HH"},    {"i", "IH"},
    {"j", "JH"},         {"k", "K"},          {"l", "L"},     {"m", "M"},     {"n", "N"},     {"o", "AA"},
    {"p", "P"},          {"q", "K"},          {"r", "R"},     {"s", "S"},     {"t", "T"},     {"u", "AH"},
    {"v", "V"},          {"w", "W"},          {"x", "K S"},   {"y", "Y"},     {"z", "Z"},     {"'", ""},
};

bool isVowel(char c)
{
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'y';
}

bool softens(std::string_view word, size_t next)
{
    return next < word.size() && (word[next] == 'e' || word[next] == 'i' || word[next] == 'y');
}

// Letters whose sound depends on their neighbours; nullptr when the table decides.
const char* contextual(std::string_view word, size_t at, size_t& used)
{
    const char c = word[at];
    used = 1;
    const bool last = at + 1 == word.size();
    if (c == 'c' && softens(word, at + 1))
        return "S";
    if (c == 'g' && softens(word, at + 1) && at + 1 < word.size() - 1)
        return "JH";
    if (c == 'e' && last && at > 0)
        return ""; // the silent final e
    if (c == 'y' && at > 0 && !isVowel(word[at - 1]))
        return last ? "IY" : "IH";
    if (c == 's' && at > 0 && last && !isVowel(word[at - 1]) && word[at - 1] != 's')
        return word[at - 1] == 't' || word[at - 1] == 'p' || word[at - 1] == 'k' || word[at - 1] == 'f' ? "S"
                                                                                                        : "Z";
    // A vowel before one consonant and a final e is long: "make", "time", "note", "cute".
    if (at + 3 == word.size() && word[at + 2] == 'e' && !isVowel(word[at + 1])) {
        switch (c) {
        case 'a':
            return "EY";
        case 'i':
            return "AY";
        case 'o':
            return "OW";
        case 'u':
            return "UW";
        default:
            break;
        }
    }
    return nullptr;
}

void appendPhones(const char* phones, std::vector<std::string>& out)
{
    std::istringstream words(phones);
    std::string phone;
    while (words >> phone)
        out.push_back(phone);
}

} // namespace

std::vector<std::string> guessPhones(const std::string& word)
{
    std::vector<std::string> phones;
    size_t at = 0;
    while (at < word.size()) {
        size_t used = 1;
        if (const char* phonesHere = contextual(word, at, used)) {
            appendPhones(phonesHere, phones);
            at += used;
            continue;
        }
        bool matched = false;
        for (const auto& rule : kRules) {
            const std::string_view letters(rule.letters);
            if (word.compare(at, letters.size(), letters) == 0) {
                appendPhones(rule.phones, phones);
                at += letters.size();
                matched = true;
                break;
            }
        }
        if (!matched)
            ++at; // a character no rule knows makes no sound
    }
    return phones;
}
