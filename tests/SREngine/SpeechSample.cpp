#include "SpeechSample.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <sstream>

namespace speechsample {
namespace {

std::vector<ReferencePhone> parsePhoneDurations(const std::string& text)
{
    std::vector<ReferencePhone> phones;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        const auto colon = word.find(':');
        if (colon == std::string::npos)
            continue;
        ReferencePhone phone;
        phone.phone = word.substr(0, colon);
        for (auto& c : phone.phone)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (phone.phone == "PAU")
            phone.phone = "SIL";
        phone.endFrame = static_cast<int>(std::lround(std::stod(word.substr(colon + 1)) * 100.0));
        phones.push_back(phone);
    }
    return phones;
}

} // namespace

Speech synthesise(const std::string& text, const std::string& voice, const std::filesystem::path& dir)
{
    Speech speech;
    const auto wav = dir / (voice + ".wav");
    const auto raw = dir / (voice + ".raw");
    const auto flite = testsupport::runCommand("flite -voice " + voice + " -psdur -t \"" + text + "\" -o " +
                                               wav.string());
    if (flite.status != 0)
        return speech;
    const auto sox = testsupport::runCommand("sox " + wav.string() + " -t raw -r 16000 -c 1 -b 16 -e signed " +
                                             raw.string());
    if (sox.status != 0)
        return speech;
    const auto bytes = testsupport::readBinaryFile(raw);
    speech.samples.resize(bytes.size() / 2);
    std::memcpy(speech.samples.data(), bytes.data(), speech.samples.size() * 2);
    speech.phones = parsePhoneDurations(flite.out);
    return speech;
}

} // namespace speechsample
