#pragma once

#include "TestSupport.h"

#include "session/ProjectSession.h"

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace sessiontest {

// The shipped content, copied beside the test programs.
inline std::filesystem::path content()
{
    return testsupport::binDir();
}

// Answers from a script and remembers what was asked.
class ScriptedPrompts : public SessionPrompts {
public:
    bool confirmAnswer = true;
    std::map<unsigned, bool> answers; // by message number, before confirmAnswer
    Answer saveChangesAnswer = Answer::no;
    std::deque<std::optional<std::string>> names;
    std::optional<std::string> savePath;

    std::vector<unsigned> confirmed;
    std::vector<std::string> namesAsked;
    std::vector<std::string> pathsAsked;
    int saveChangesAsked = 0;

    bool confirm(unsigned messageId) override
    {
        confirmed.push_back(messageId);
        const auto answer = answers.find(messageId);
        return answer == answers.end() ? confirmAnswer : answer->second;
    }
    Answer askSaveChanges() override
    {
        ++saveChangesAsked;
        return saveChangesAnswer;
    }
    std::optional<std::string> askNewName(const std::string& taken) override
    {
        namesAsked.push_back(taken);
        if (names.empty())
            return std::nullopt;
        std::optional<std::string> next = names.front();
        names.pop_front();
        return next;
    }
    std::optional<std::string> askSavePath(const std::string& extension) override
    {
        pathsAsked.push_back(extension);
        return savePath;
    }
};

// A 16-bit PCM WAV of a tone.
inline void writeTone(const std::filesystem::path& path, std::uint32_t rate, std::uint16_t channels,
                      int frames)
{
    std::vector<unsigned char> wav;
    auto u32 = [&wav](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            wav.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    auto u16 = [&wav](std::uint16_t v) {
        wav.push_back(static_cast<unsigned char>(v));
        wav.push_back(static_cast<unsigned char>(v >> 8));
    };
    auto text = [&wav](const char* t) { wav.insert(wav.end(), t, t + 4); };
    const std::uint32_t bytes = static_cast<std::uint32_t>(frames) * channels * 2;
    text("RIFF");
    u32(36 + bytes);
    text("WAVE");
    text("fmt ");
    u32(16);
    u16(1);
    u16(channels);
    u32(rate);
    u32(rate * channels * 2);
    u16(static_cast<std::uint16_t>(channels * 2));
    u16(16);
    text("data");
    u32(bytes);
    for (int i = 0; i < frames * channels; ++i)
        u16(static_cast<std::uint16_t>((i * 97) % 8000));
    testsupport::writeBinaryFile(path, wav);
}

// A JPEG of one colour made by ffmpeg; false when ffmpeg is missing.
inline bool writePicture(const std::filesystem::path& path, int side)
{
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    return testsupport::runCommand("ffmpeg -v error -y -f lavfi -i color=c=0x336699:s=" + size +
                                   " -frames:v 1 -pix_fmt yuvj420p '" + path.string() + "'")
               .status == 0;
}

// Points the temporary folder at a folder of its own while it lives.
class PrivateTempFolder {
public:
    PrivateTempFolder()
    {
        if (const char* old = std::getenv("TMPDIR"))
            old_ = old;
        setenv("TMPDIR", folder_.path().c_str(), 1);
    }
    ~PrivateTempFolder()
    {
        if (old_.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", old_.c_str(), 1);
    }
    std::size_t fileCount() const
    {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
            count += entry.is_regular_file() ? 1 : 0;
        return count;
    }

private:
    testsupport::TempDir folder_;
    std::string old_;
};

} // namespace sessiontest
