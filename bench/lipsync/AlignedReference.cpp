#include "AlignedReference.h"

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

const fs::path kModel = "/usr/share/pocketsphinx/model/en-us";
const fs::path kTestData = "/usr/share/pocketsphinx/test/data";

using Dictionary = std::map<std::string, std::vector<std::string>>;

std::string lower(std::string text)
{
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string upper(std::string text)
{
    for (auto& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

Dictionary loadDictionary()
{
    Dictionary words;
    std::ifstream in(kModel / "cmudict-en-us.dict");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string word, phone;
        fields >> word;
        if (word.find('(') != std::string::npos) // alternative pronunciations: the first one will do
            continue;
        while (fields >> phone)
            words[word].push_back(lower(phone));
    }
    return words;
}

// Every phone as a one-phone word, so that the aligner's segments are phones.
void writePhoneDictionary(const Dictionary& words, const fs::path& path)
{
    std::set<std::string> phones;
    for (const auto& [word, pronunciation] : words)
        phones.insert(pronunciation.begin(), pronunciation.end());
    std::ofstream out(path);
    for (const auto& phone : phones)
        out << phone << ' ' << upper(phone) << '\n';
    out << "sil SIL\n";
}

// "[sil] p h o n e s [sil] ..." with an optional pause between words; false for an unknown word.
bool writeGrammar(const Dictionary& words, const std::string& transcript, const fs::path& path)
{
    std::istringstream in(transcript);
    std::string word, rule = "[sil]";
    while (in >> word) {
        const auto it = words.find(word);
        if (it == words.end())
            return false;
        for (const auto& phone : it->second)
            rule += ' ' + phone;
        rule += " [sil]";
    }
    std::ofstream(path) << "#JSGF V1.0;\ngrammar utterance;\npublic <utterance> = " << rule << ";\n";
    return true;
}

// Segments "start-frame acoustic language word ... end-frame" after the header; a null transition
// belongs to the phone before it.
std::vector<std::string> framesOfSegmentation(const std::string& line)
{
    std::istringstream in(line);
    std::string token;
    for (int i = 0; i < 9 && in >> token; ++i) {
    }
    std::vector<std::pair<int, std::string>> segments;
    std::vector<std::string> tokens;
    while (in >> token)
        tokens.push_back(token);
    if (tokens.size() < 5 || tokens.size() % 4 != 1)
        return {};
    for (size_t i = 0; i + 3 < tokens.size(); i += 4)
        segments.emplace_back(std::stoi(tokens[i]), tokens[i + 3]);
    const int end = std::stoi(tokens.back()) + 1;
    // The aligner's frame f is heard through a window centred more than a frame later, the same offset
    // the recogniser corrects for; one leading pause frame puts the reference phones where they sound.
    std::vector<std::string> frames{"sil"};
    for (size_t i = 0; i < segments.size(); ++i) {
        const int until = i + 1 < segments.size() ? segments[i + 1].first : end;
        const std::string phone =
            segments[i].second == "(NULL)" && !frames.empty() ? frames.back() : segments[i].second;
        while (static_cast<int>(frames.size()) < until + 1)
            frames.push_back(phone);
    }
    return frames;
}

std::vector<AlignedVoice> alignSet(const Dictionary& words, const fs::path& folder,
                                   const std::string& transcripts, const fs::path& workDir)
{
    static const std::regex line(R"re(<s>\s*(.*?)\s*</s>\s*\((\S+)\))re");
    std::vector<AlignedVoice> voices;
    std::ifstream in(folder / transcripts);
    std::string text;
    std::smatch match;
    while (std::getline(in, text)) {
        if (!std::regex_search(text, match, line))
            continue;
        const std::string id = match[2];
        const auto grammar = workDir / (id + ".gram"), ctl = workDir / (id + ".ctl"),
                   seg = workDir / (id + ".seg");
        if (!writeGrammar(words, match[1], grammar))
            continue;
        std::ofstream(ctl) << id << '\n';
        capture("pocketsphinx_batch -adcin yes -cepdir " + folder.string() + " -cepext .wav -ctl " +
                ctl.string() + " -hmm " + kModel.string() + "/en-us -dict " +
                (workDir / "phones.dict").string() + " -jsgf " + grammar.string() +
                " -remove_silence no -hypseg " + seg.string() + " >/dev/null 2>&1");
        std::ifstream segmentation(seg);
        std::string result;
        std::getline(segmentation, result);
        auto frames = framesOfSegmentation(result);
        if (!frames.empty())
            voices.push_back({(folder / (id + ".wav")).string(), std::move(frames), match[1]});
    }
    return voices;
}

} // namespace

std::string capture(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

std::vector<AlignedVoice> alignedTestVoices(const fs::path& workDir)
{
    const auto words = loadDictionary();
    if (words.empty())
        return {};
    fs::create_directories(workDir);
    writePhoneDictionary(words, workDir / "phones.dict");
    auto voices = alignSet(words, kTestData / "librivox", "transcription", workDir);
    auto cards = alignSet(words, kTestData / "cards", "cards.transcription", workDir);
    voices.insert(voices.end(), cards.begin(), cards.end());
    return voices;
}
