#include "SREngine/WordVocabulary.h"

#include <sphinxbase/logmath.h>
#include <sphinxbase/ngram_model.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <unordered_set>
#include <vector>

namespace sylrecog {
namespace {

struct LogMathDeleter {
    void operator()(logmath_t* math) const { logmath_free(math); }
};
struct ModelDeleter {
    void operator()(ngram_model_t* model) const { ngram_model_free(model); }
};

// "word(2)" names the second pronunciation of "word".
std::string baseWord(const std::string& line)
{
    std::string word = line.substr(0, line.find_first_of(" \t"));
    if (const auto open = word.find('('); open != std::string::npos && open > 0 && word.back() == ')')
        word.resize(open);
    return word;
}

std::vector<std::string> readLines(const std::string& path)
{
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        if (!line.empty() && line.front() != ' ' && line.front() != '\t')
            lines.push_back(std::move(line));
    return lines;
}

// The limit likeliest base words of the dictionary lines that the model knows.
std::unordered_set<std::string> likeliestWords(ngram_model_t* model, const std::vector<std::string>& lines,
                                               size_t limit)
{
    std::map<std::string, int32> scores;
    const int32 unknown = ngram_unknown_wid(model);
    for (const auto& line : lines) {
        const std::string word = baseWord(line);
        if (scores.count(word) || ngram_wid(model, word.c_str()) == unknown)
            continue;
        scores[word] = ngram_score(model, word.c_str(), nullptr);
    }
    std::vector<std::pair<int32, std::string>> ranked;
    ranked.reserve(scores.size());
    for (auto& [word, score] : scores)
        ranked.emplace_back(score, word);
    // Ties go by spelling, so that the same files always give the same vocabulary.
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    ranked.resize(std::min(ranked.size(), limit));
    std::unordered_set<std::string> kept;
    for (auto& entry : ranked)
        kept.insert(std::move(entry.second));
    return kept;
}

} // namespace

bool writeLikeliestWords(const std::string& lmPath, const std::string& dictionaryPath, size_t limit,
                         const std::string& outPath)
{
    const auto lines = readLines(dictionaryPath);
    if (lines.empty() || limit == 0)
        return false;
    std::unordered_set<std::string> kept;
    {
        std::unique_ptr<logmath_t, LogMathDeleter> math(logmath_init(1.0001, 0, 0));
        if (!math)
            return false;
        // Read, ranked and let go before the decoder loads it again: the two copies never meet.
        std::unique_ptr<ngram_model_t, ModelDeleter> model(
            ngram_model_read(nullptr, lmPath.c_str(), NGRAM_AUTO, math.get()));
        if (!model)
            return false;
        kept = likeliestWords(model.get(), lines, limit);
    }
    if (kept.empty())
        return false;
    std::ofstream out(outPath, std::ios::trunc);
    for (const auto& line : lines)
        if (kept.count(baseWord(line)))
            out << line << '\n';
    out.close();
    if (!out) {
        std::remove(outPath.c_str());
        return false;
    }
    return true;
}

} // namespace sylrecog
