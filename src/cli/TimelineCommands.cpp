// Timeline commands: automatic head turns computed from viseme spans given on the command line.
#include "cli/CliCommand.h"
#include "cli/JsonWriter.h"

#include "timeline/HeadTurnGenerator.h"
#include "timeline/TimelineData.h"

#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct Span {
    std::uint32_t start;
    std::uint32_t end;
};

std::uint32_t parseSample(const std::string& text, const std::string& whole)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        throw CliError("bad viseme span '" + whole + "': expected START:END in samples");
    const unsigned long long value = std::stoull(text);
    if (value > INT32_MAX)
        throw CliError("viseme span '" + whole + "' lies beyond the longest timeline");
    return std::uint32_t(value);
}

Span parseSpan(const std::string& text)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        throw CliError("bad viseme span '" + text + "': expected START:END in samples");
    const Span span{parseSample(text.substr(0, colon), text), parseSample(text.substr(colon + 1), text)};
    if (span.end <= span.start)
        throw CliError("viseme span '" + text + "' is empty: END must be after START");
    return span;
}

std::vector<Span> parseSpans(const std::vector<std::string>& lists)
{
    std::vector<Span> spans;
    for (const std::string& list : lists) {
        size_t from = 0;
        while (from <= list.size()) {
            const size_t comma = std::min(list.find(',', from), list.size());
            spans.push_back(parseSpan(list.substr(from, comma - from)));
            from = comma + 1;
        }
    }
    return spans;
}

double parseOffset(const std::string& text)
{
    size_t used = 0;
    double value = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || !std::isfinite(value))
        throw CliError("bad --offset '" + text + "': expected a number");
    return value;
}

void writeKeys(std::ostream& out, const TimelineData& timeline)
{
    JsonWriter json(out);
    json.beginArray();
    for (const HeadTurnKey& key : timeline.headTurns().records()) {
        json.beginObject();
        json.field("start", key.start).field("end", key.end);
        json.field("a", key.angle_a).field("b", key.angle_b).field("c", key.angle_c);
        json.endObject();
    }
    json.endArray();
}

int headTurns(CliArgs& args, CliContext& context)
{
    const bool asJson = args.flag("--json");
    const std::vector<std::string> lists = args.takeAll("--visemes");
    const auto offsetText = args.take("--offset");
    args.positionals(0, 0);
    if (lists.empty())
        throw CliError("headturns needs --visemes START:END[,START:END]...");
    const std::vector<Span> spans = parseSpans(lists);
    const double offset = offsetText ? parseOffset(*offsetText) : drawHeadTurnOffset();

    TimelineData timeline;
    for (const Span& span : spans) {
        timeline.setSelection(std::int32_t(span.start), std::int32_t(span.end));
        VisemeItem* item = timeline.insertViseme();
        if (!item)
            throw CliError("out of memory while storing viseme spans");
        item->weight = 50;
    }
    timeline.setSelection(0, 0);
    if (!generateHeadTurns(timeline, offset))
        throw CliError("out of memory while storing head-turn keys");
    if (asJson) {
        writeKeys(context.out, timeline);
        return 0;
    }
    for (const HeadTurnKey& key : timeline.headTurns().records())
        context.out << key.start << "-" << key.end << ": " << key.angle_a << " " << key.angle_b << " "
                    << key.angle_c << "\n";
    return 0;
}

const CliRegistration
    kHeadTurns("headturns", "headturns --visemes START:END[,START:END]... [--offset C] [--json]", headTurns);

} // namespace
