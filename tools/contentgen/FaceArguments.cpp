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

bool parseEllipse(const std::string& text, TintEllipse& ellipse)
{
    const char* end = nullptr;
    return parseNumber(text.c_str(), ',', ellipse.centre.x, end) &&
           parseNumber(end + 1, ',', ellipse.centre.y, end) &&
           parseNumber(end + 1, ',', ellipse.radiusX, end) &&
           parseNumber(end + 1, '\0', ellipse.radiusY, end) && ellipse.radiusX > 0 && ellipse.radiusY > 0;
}

// The arguments that are not positions; true when `arg` was one of them (problem says what is wrong).
bool parseOtherArgument(const std::string& name, const std::string& value, FaceArguments& parsed,
                        std::string& problem)
{
    TintEllipse ellipse;
    const bool skin = name.rfind("skin.", 0) == 0 && name.size() > 5;
    if (skin || name == "lips") {
        if (!parseEllipse(value, ellipse))
            problem = "'" + name + "' does not give an ellipse as X,Y,RX,RY";
        (skin ? parsed.colouring.skin : parsed.colouring.lips).push_back(ellipse);
        return true;
    }
    if (name.rfind("stays.", 0) == 0 && name.size() > 6) {
        Point2 point;
        if (!parsePoint(value, point))
            problem = "'" + name + "' does not give a position as X,Y";
        parsed.stays.push_back({name.substr(6), point});
        return true;
    }
    for (const auto& [prefix, edge] : {std::pair{"lip-gap-top.", &parsed.lipGap.top},
                                       std::pair{"lip-gap-bottom.", &parsed.lipGap.bottom}}) {
        const size_t length = std::char_traits<char>::length(prefix);
        if (name.rfind(prefix, 0) != 0 || name.size() <= length)
            continue;
        Point2 point;
        if (!parsePoint(value, point))
            problem = "'" + name + "' does not give a position as X,Y";
        edge->push_back(point);
        return true;
    }
    return false;
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
        std::string problem;
        if (parseOtherArgument(name, arg.substr(equals + 1), parsed, problem)) {
            if (!problem.empty())
                return problem;
            continue;
        }
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
    if (!parsed.lipGap.empty())
        if (const std::string problem = lipGapProblem(parsed.lipGap); !problem.empty())
            return problem;
    out = std::move(parsed);
    return {};
}
