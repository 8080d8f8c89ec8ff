#include "lipsync/PronouncingDictionary.h"

#include "lipsync/LetterToSound.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

constexpr size_t kMaxPronunciations = 3;

// "word(2)" names the second pronunciation of "word".
std::string headWord(const std::string& entry)
{
    const auto paren = entry.find('(');
    return paren == std::string::npos ? entry : entry.substr(0, paren);
}

std::string phoneWithoutStress(std::string phone)
{
    while (!phone.empty() && phone.back() >= '0' && phone.back() <= '9')
        phone.pop_back();
    return phone;
}

bool lessByWord(const std::pair<std::string, Pronunciation>& a,
                const std::pair<std::string, Pronunciation>& b)
{
    return a.first < b.first;
}

} // namespace

bool CPronouncingDictionary::load(const std::string& path, const std::set<std::string>& words)
{
    entries_.clear();
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find_first_of(" \t");
        if (space == std::string::npos || !words.count(headWord(line.substr(0, space))))
            continue;
        std::istringstream fields(line.substr(space));
        Pronunciation phones;
        std::string phone;
        while (fields >> phone)
            phones.push_back(phoneWithoutStress(phone));
        if (!phones.empty())
            entries_.emplace_back(headWord(line.substr(0, space)), std::move(phones));
    }
    std::stable_sort(entries_.begin(), entries_.end(), lessByWord);
    return true;
}

bool CPronouncingDictionary::knows(const std::string& word) const
{
    return std::binary_search(entries_.begin(), entries_.end(), std::make_pair(word, Pronunciation{}),
                              lessByWord);
}

std::vector<Pronunciation> CPronouncingDictionary::pronounce(const std::string& word) const
{
    std::vector<Pronunciation> found;
    const auto range =
        std::equal_range(entries_.begin(), entries_.end(), std::make_pair(word, Pronunciation{}), lessByWord);
    for (auto it = range.first; it != range.second && found.size() < kMaxPronunciations; ++it)
        found.push_back(it->second);
    if (found.empty()) {
        auto guess = guessPhones(word);
        if (!guess.empty())
            found.push_back(std::move(guess));
    }
    return found;
}
