// Without libFuzzer (gcc builds) a fuzz target still runs: every seed file is fed as it is and then
// in many randomly mutated forms (byte flips, truncations, insertions), so the suite exercises each
// reader with hostile input under the sanitizers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void runOne(const std::vector<uint8_t>& input)
{
    LLVMFuzzerTestOneInput(input.empty() ? nullptr : input.data(), input.size());
}

std::vector<uint8_t> mutate(std::vector<uint8_t> input, std::mt19937& random)
{
    int edits = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < edits; ++i) {
        switch (random() % 5) {
        case 0:
            if (!input.empty())
                input[random() % input.size()] = static_cast<uint8_t>(random());
            break;
        case 1:
            if (!input.empty())
                input.resize(random() % input.size());
            break;
        case 2:
            input.insert(input.begin() + static_cast<long>(input.empty() ? 0 : random() % input.size()),
                         static_cast<uint8_t>(random()));
            break;
        case 3:
            if (input.size() >= 4) {
                size_t at = random() % (input.size() - 3);
                uint32_t value = (random() % 2) ? 0xFFFFFFFFu : static_cast<uint32_t>(random() % 70000);
                std::memcpy(&input[at], &value, 4);
            }
            break;
        default:
            if (!input.empty())
                input[random() % input.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
            break;
        }
    }
    return input;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::vector<uint8_t>> seeds;
    long mutations = 1000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--mutations") == 0 && i + 1 < argc) {
            mutations = std::atol(argv[++i]);
            continue;
        }
        std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file())
                    seeds.push_back(readFile(entry.path()));
        } else {
            seeds.push_back(readFile(path));
        }
    }
    if (seeds.empty())
        seeds.emplace_back();
    for (const auto& seed : seeds)
        runOne(seed);
    std::mt19937 random(12345);
    for (long i = 0; i < mutations; ++i)
        runOne(mutate(seeds[static_cast<size_t>(i) % seeds.size()], random));
    std::printf("%zu seeds, %ld mutations: no fault\n", seeds.size(), mutations);
    return 0;
}
