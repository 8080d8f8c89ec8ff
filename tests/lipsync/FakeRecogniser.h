#pragma once
// A scripted recogniser for driving the analysis without the real library.

#include "lipsync/SylRecogniser.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

struct FakeSyllable {
    uint16_t start;
    uint16_t end;
    std::string text; // Big5
};

class FakeRecogniser : public ISylRecogniser {
public:
    // Produces the syllables of one block from its samples; the count defaults to their number.
    std::function<std::vector<FakeSyllable>(const int16_t*, int)> script;
    int initResult = 0;
    int forcedCount = 1; // used when positive is not wanted: set useForcedCount
    bool useForcedCount = false;
    std::chrono::milliseconds delay{0};
    std::atomic<int> inits{0}, destroys{0}, blocksFinished{0};

    int init(const std::string&) override
    {
        ++inits;
        return initResult;
    }
    int numTotalSyl() override { return 0; }
    int recogSample(const int16_t* samples, int count) override
    {
        std::this_thread::sleep_for(delay);
        last_ = script ? script(samples, count) : std::vector<FakeSyllable>{};
        ++blocksFinished;
        return useForcedCount ? forcedCount : static_cast<int>(last_.size());
    }
    int getResult(SylRecord* records, int n) override
    {
        for (int i = 0; i < n; ++i)
            records[i] = {static_cast<uint16_t>(i), last_[static_cast<size_t>(i)].start,
                          last_[static_cast<size_t>(i)].end};
        return 1;
    }
    int getSyl(int id, char* text) override
    {
        const std::string& s = last_[static_cast<size_t>(id)].text;
        std::copy(s.begin(), s.end(), text);
        text[s.size()] = '\0';
        return 1;
    }
    int destroy() override
    {
        ++destroys;
        return 1;
    }

private:
    std::vector<FakeSyllable> last_;
};
