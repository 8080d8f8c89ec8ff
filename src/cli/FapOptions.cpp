#include "cli/FapOptions.h"

#include "cli/CliCommand.h"
#include "Common/ContentRoot.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace {

void applyFapOptions(const std::vector<std::string>& options, FapRow& values)
{
    for (const std::string& option : options) {
        size_t equals = option.find('=');
        if (equals == std::string::npos)
            throw CliError("--fap wants N=VALUE, got \"" + option + "\"");
        int fap = parseIntOption(option.substr(0, equals), "--fap");
        if (fap < 1 || fap > kFapCount)
            throw CliError("FAP number " + std::to_string(fap) + " is outside 1 to 68");
        values[static_cast<size_t>(fap - 1)] = parseIntOption(option.substr(equals + 1), "--fap");
    }
}

struct RowChoice {
    int row = 0;
    int intensity = 63;
};

RowChoice parseRowChoice(const std::string& text, const std::string& option, int rowCount)
{
    RowChoice choice;
    size_t colon = text.find(':');
    choice.row = parseIntOption(text.substr(0, colon), option);
    if (colon != std::string::npos)
        choice.intensity = parseIntOption(text.substr(colon + 1), option);
    if (choice.row < 0 || choice.row >= rowCount)
        throw CliError(option + " row " + std::to_string(choice.row) + " is outside 0 to " +
                       std::to_string(rowCount - 1));
    return choice;
}

} // namespace

void addTableRow(FapRow& values, const FapRow& row, int intensity, int factor)
{
    double weight = intensity / 63.0;
    for (size_t i = 2; i < values.size(); ++i)
        values[i] = static_cast<int>(std::trunc(weight * (factor * row[i]) + values[i]));
}

int parseIntOption(const std::string& text, const std::string& option)
{
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < -2147483647L || value > 2147483647L)
        throw CliError("bad number \"" + text + "\" in " + option);
    return static_cast<int>(value);
}

FapRow takeFapValues(CliArgs& args)
{
    std::vector<std::string> faps = args.takeAll("--fap");
    std::optional<std::string> expression = args.take("--expression");
    std::optional<std::string> viseme = args.take("--viseme");
    std::optional<std::string> folder = args.take("--expressions");

    FapRow values{};
    applyFapOptions(faps, values);
    if (expression) {
        RowChoice choice = parseRowChoice(*expression, "--expression", kExpressionRowCount);
        ExpressionRows rows =
            loadExpressionRows(folder ? std::filesystem::path(*folder) : contentRoot() / "Expressions");
        addTableRow(values, rows[static_cast<size_t>(choice.row)], choice.intensity, 1);
    }
    if (viseme) {
        RowChoice choice = parseRowChoice(*viseme, "--viseme", kVisemeRowCount);
        addTableRow(values, storedVisemeRow(choice.row), choice.intensity, 2);
    }
    return values;
}
