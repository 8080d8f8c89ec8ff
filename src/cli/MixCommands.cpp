// The animation mixer from the command line: queue events, then sample frames at chosen times.
#include "animation/CFapMixer.h"
#include "cli/CliCommand.h"
#include "Common/ContentRoot.h"
#include "cli/JsonWriter.h"

#include <charconv>
#include <limits>
#include <optional>
#include <ostream>
#include <sstream>

namespace {

template <typename Number> std::optional<Number> parseNumber(const std::string& text)
{
    Number value{};
    const char* first = text.data();
    const char* last = first + text.size();
    if (!text.empty() && text[0] == '+')
        ++first;
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last)
        return std::nullopt;
    return value;
}

std::vector<std::string> splitFields(const std::string& text)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(text);
    while (std::getline(in, field, ':'))
        fields.push_back(field);
    if (!text.empty() && text.back() == ':')
        fields.emplace_back();
    return fields;
}

template <typename Number>
Number fieldAs(const std::vector<std::string>& fields, size_t index, const std::string& event)
{
    std::optional<Number> value = parseNumber<Number>(fields[index]);
    if (!value)
        throw CliError("bad number \"" + fields[index] + "\" in event \"" + event + "\"");
    return *value;
}

void addEvent(CFapMixer& mixer, const std::string& event)
{
    std::vector<std::string> fields = splitFields(event);
    const std::string& kind = fields.empty() ? event : fields[0];
    bool isTurn = kind == "turn";
    bool isRowEvent = kind == "expression" || kind == "viseme" || kind == "blink";
    if (!isTurn && !isRowEvent)
        throw CliError("unknown event \"" + event + "\" (expression, viseme, blink or turn)");
    size_t expected = isTurn ? 6 : 5;
    if (fields.size() != expected)
        throw CliError("event \"" + event + "\" needs " + std::to_string(expected - 1) + " numbers");
    if (isTurn) {
        mixer.addHeadTurn(fieldAs<int>(fields, 1, event), fieldAs<int>(fields, 2, event),
                          fieldAs<int>(fields, 3, event), fieldAs<uint32_t>(fields, 4, event),
                          fieldAs<uint32_t>(fields, 5, event));
        return;
    }
    int row = fieldAs<int>(fields, 1, event);
    int intensity = fieldAs<int>(fields, 2, event);
    uint32_t start = fieldAs<uint32_t>(fields, 3, event);
    uint32_t duration = fieldAs<uint32_t>(fields, 4, event);
    if (kind == "expression")
        mixer.addExpression(row, intensity, start, duration);
    else if (kind == "viseme")
        mixer.addViseme(row, intensity, start, duration);
    else
        mixer.addBlink(row, intensity, start, duration);
}

std::vector<uint32_t> parseTimes(const std::vector<std::string>& texts)
{
    if (texts.empty())
        throw CliError("at least one --at MS is needed");
    std::vector<uint32_t> times;
    for (const std::string& text : texts) {
        std::optional<uint32_t> ms = parseNumber<uint32_t>(text);
        if (!ms)
            throw CliError("bad time \"" + text + "\" for --at");
        times.push_back(*ms);
    }
    return times;
}

int runMix(CliArgs& args, CliContext& context)
{
    args.flag("--json");
    std::optional<std::string> folder = args.take("--expressions");
    std::vector<uint32_t> times = parseTimes(args.takeAll("--at"));
    std::vector<std::string> events = args.positionals(0, std::numeric_limits<size_t>::max());

    CFapMixer mixer(folder ? std::filesystem::path(*folder) : contentRoot() / "Expressions");
    for (const std::string& event : events)
        addEvent(mixer, event);

    JsonWriter writer(context.out);
    writer.beginArray();
    for (uint32_t at : times) {
        mixer.setClock(at);
        FapFrame frame{};
        bool more = mixer.computeFrame(frame) != 0;
        writer.beginObject().field("at", at).key("faps").array(std::vector<int>(frame.begin(), frame.end()));
        writer.field("more", more).endObject();
    }
    writer.endArray();
    return 0;
}

const CliRegistration kMix("mix",
                           "mix EVENT... --at MS [--at MS]... [--expressions DIR] --json   (EVENT: "
                           "expression|viseme|blink:ROW:INTENSITY:START:DURATION or "
                           "turn:PITCH:YAW:ROLL:START:DURATION)",
                           runMix);

} // namespace
