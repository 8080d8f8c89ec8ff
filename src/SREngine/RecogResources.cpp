#include "SREngine/RecogResources.h"

#include "SREngine/Bopomofo.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <fstream>
#include <sstream>

namespace sylrecog {
namespace {

constexpr size_t kMaxResourceBytes = 1 << 20;
constexpr size_t kMaxTextBytes = 13;

std::string_view trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Splits off the first whitespace-separated word of text.
std::string_view nextWord(std::string_view& text)
{
    text = trim(text);
    const auto end = std::min(text.find_first_of(" \t"), text.size());
    const auto word = text.substr(0, end);
    text = trim(text.substr(end));
    return word;
}

std::string resolvePath(std::string_view path, const std::string& baseFolder)
{
    if (path.empty() || path.front() == '/' || baseFolder.empty())
        return std::string(path);
    return baseFolder + "/" + std::string(path);
}

void setOption(OptionList& list, const std::string& name, const std::string& value)
{
    for (auto& option : list)
        if (option.first == name) {
            option.second = value;
            return;
        }
    list.emplace_back(name, value);
}

bool parseCount(std::string_view text, int low, int high, int& value)
{
    int parsed = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || ptr != text.data() + text.size() || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

} // namespace

bool CRecogResources::fail(const std::string& message)
{
    error_ = "line " + std::to_string(lineNumber_) + ": " + message;
    return false;
}

bool CRecogResources::parseLine(std::string_view line, const std::string& baseFolder)
{
    if (const auto hash = line.find('#'); hash != std::string_view::npos)
        line = line.substr(0, hash);
    const auto keyword = nextWord(line);
    if (keyword.empty())
        return true;
    const std::string name(nextWord(line));
    const std::string value(line);
    if (name.empty())
        return fail("missing argument");
    if (keyword == "option" || keyword == "model") {
        if (name.front() != '-' || value.empty())
            return fail("an option needs -name and a value");
        setOption(options_, name, keyword == "model" ? resolvePath(value, baseFolder) : value);
    } else if (keyword == "retry") {
        if (name.front() != '-' || value.empty())
            return fail("a retry option needs -name and a value");
        setOption(retry_, name, value);
    } else if (keyword == "align" || keyword == "alignretry") {
        if (name.front() != '-' || value.empty())
            return fail("an alignment option needs -name and a value");
        setOption(keyword == "align" ? align_ : alignRetry_, name, value);
    } else if (keyword == "wordalign") {
        if (name.front() != '-' || value.empty())
            return fail("an alignment option needs -name and a value");
        setOption(heardAlign_, name, value);
    } else if (keyword == "words") {
        if (name.front() != '-' || value.empty())
            return fail("a word option needs -name and a value");
        setOption(words_, name, name == "-lm" ? resolvePath(value, baseFolder) : value);
    } else if (keyword == "vocabulary") {
        if (!parseCount(name, 1, INT_MAX, vocabulary_) || !value.empty())
            return fail("vocabulary needs a positive word count");
    } else if (keyword == "dictionary") {
        if (!value.empty())
            return fail("dictionary takes one path");
        dictionary_ = resolvePath(name, baseFolder);
    } else if (keyword == "trim") {
        std::string_view rest(value);
        const auto keep = nextWord(rest), range = nextWord(rest);
        if (!parseCount(name, 0, 6000, trimPause_) || !parseCount(keep, 0, 1000, trimKeep_) ||
            !parseCount(range, 1, 120, trimRange_) || !rest.empty() ||
            (trimPause_ > 0 && 2 * trimKeep_ >= trimPause_))
            return fail("trim needs PAUSE KEEP RANGE: frames, frames (under half the pause) and decibels");
    } else if (keyword == "collapse") {
        if (!parseCount(name, 1, INT_MAX, collapseFrames_))
            return fail("collapse needs a positive frame count");
    } else if (keyword == "shift") {
        if (!parseCount(name, 0, kMaxShiftFrames, shiftFrames_))
            return fail("shift needs a frame count from 0 to " + std::to_string(kMaxShiftFrames));
    } else if (keyword == "phone") {
        const auto big5 = big5FromUtf8(value == "-" ? std::string_view() : std::string_view(value));
        if (!big5 || big5->size() > kMaxTextBytes)
            return fail("phone " + name + " needs up to six Bopomofo letters or -");
        phoneTexts_[name] = *big5;
        if (!big5->empty() && std::find(texts_.begin(), texts_.end(), *big5) == texts_.end())
            texts_.push_back(*big5);
    } else {
        return fail("unknown keyword " + std::string(keyword));
    }
    return true;
}

bool CRecogResources::parse(std::string_view text, const std::string& baseFolder)
{
    *this = CRecogResources();
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        ++lineNumber_;
        if (!parseLine(line, baseFolder))
            return false;
    }
    if (phoneTexts_.empty())
        return fail("no phone table");
    return true;
}

bool CRecogResources::load(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error_ = "cannot open " + path;
        return false;
    }
    std::string text(kMaxResourceBytes + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(file.gcount()));
    if (text.size() > kMaxResourceBytes) {
        error_ = path + " is too large";
        return false;
    }
    const auto slash = path.find_last_of('/');
    return parse(text, slash == std::string::npos ? std::string(".") : path.substr(0, slash));
}

OptionList CRecogResources::retryOptions() const
{
    OptionList merged = options_;
    for (const auto& [name, value] : retry_)
        setOption(merged, name, value);
    return merged;
}

OptionList CRecogResources::alignOptions() const
{
    OptionList merged;
    for (const auto& option : options_)
        if (option.first != "-allphone" && option.first != "-allphone_ci")
            merged.push_back(option);
    for (const auto& [name, value] : align_)
        setOption(merged, name, value);
    return merged;
}

OptionList CRecogResources::heardAlignOptions() const
{
    OptionList merged = alignOptions();
    for (const auto& [name, value] : heardAlign_)
        setOption(merged, name, value);
    return merged;
}

OptionList CRecogResources::alignRetryOptions() const
{
    OptionList merged = alignOptions();
    for (const auto& [name, value] : alignRetry_)
        setOption(merged, name, value);
    return merged;
}

OptionList CRecogResources::wordOptions() const
{
    if (words_.empty())
        return {};
    OptionList merged = alignOptions();
    if (!dictionary_.empty())
        setOption(merged, "-dict", dictionary_);
    for (const auto& [name, value] : words_)
        setOption(merged, name, value);
    return merged;
}

std::string CRecogResources::textOfPhone(const std::string& phone) const
{
    const auto it = phoneTexts_.find(phone);
    return it == phoneTexts_.end() ? std::string() : it->second;
}

} // namespace sylrecog
