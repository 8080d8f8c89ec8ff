#include "FaceArguments.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

constexpr const char* kOutlinePrefix = "outline.";

bool parseNumber(const char* text, char terminator, double& value, const char*& end)
{
    char* stop = nullptr;
    value = std::strtod(text, &stop);
    end = stop;
    return stop != text && *stop == terminator && std::isfinite(value);
}

bool parsePoint(const std::string& text, Point2& point)
{
    const char* end = nullptr;
    return parseNumber(text.c_str(), ',', point.x, end) && parseNumber(end + 1, '\0', point.y, end);
}

bool isLandmarkName(const std::string& name)
{
    static const char* const known[] = {"right-eye", "left-eye", "nose", "mouth",
                                        "right-lip", "left-lip", "chin"};
    for (const char* k : known) {
        if (name == k)
            return true;
    }
    return false;
}

} // namespace

std::string parseFaceArguments(const std::vector<std::string>& args, FaceArguments& out)
{
    FaceArguments parsed;
    for (const std::string& arg : args) {
        const auto equals = arg.find('=');
        if (equals == std::string::npos)
            return "'" + arg + "' is not name=X,Y";
        const std::string name = arg.substr(0, equals);
        Point2 point;
        if (!parsePoint(arg.substr(equals + 1), point))
            return "'" + arg + "' does not give a position as X,Y";
        if (name.rfind(kOutlinePrefix, 0) == 0 &&
            name.size() > std::char_traits<char>::length(kOutlinePrefix))
            parsed.outline.push_back({name.substr(std::char_traits<char>::length(kOutlinePrefix)), point});
        else if (isLandmarkName(name) && !parsed.landmarks.count(name))
            parsed.landmarks[name] = point;
        else
            return "'" + name + "' is not a landmark or outline point, or is given twice";
    }
    if (!parsed.landmarks.count("right-eye") || !parsed.landmarks.count("left-eye"))
        return "right-eye and left-eye are required";
    out = std::move(parsed);
    return {};
}
