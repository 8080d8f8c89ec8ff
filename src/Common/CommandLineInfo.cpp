#include "Common/CommandLineInfo.h"

#include "Common/Cpuosid.h"

#include <algorithm>
#include <cctype>

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool isKnownFlag(const std::string& flag)
{
    static const char* const kFlags[] = {"p4", "p3", "gen", "cmp", "hdp", "hap", "default", "temp"};
    for (const char* known : kFlags)
        if (flag == known)
            return true;
    return false;
}

void applyFlag(CommandLineInfo& info, const std::string& flag)
{
    if (flag == "p4" || flag == "p3" || flag == "gen") {
        info.processorPath = flag == "p4" ? kProcessorSse2 : flag == "p3" ? kProcessorSse : kProcessorGeneric;
        info.processorPathGiven = 1;
    } else if (flag == "cmp") {
        info.editorMode = CommandLineInfo::kProjectEditor;
    } else if (flag == "hdp") {
        info.editorMode = CommandLineInfo::kHeadDefinitionEditor;
    } else if (flag == "hap") {
        info.editorMode = CommandLineInfo::kHeadAnimationEditor;
    } else if (flag == "default") {
        info.openAsUntitled = 1;
    } else if (flag == "temp") {
        info.deleteFileOnExit = 1;
    }
}

} // namespace

CommandLineInfo CommandLineInfo::parse(const std::vector<std::string>& parameters)
{
    CommandLineInfo info;
    for (const std::string& parameter : parameters) {
        // An absolute path begins with "/" here, so "/" introduces a flag only when one of ours
        // follows; "-" always introduces one, known or not.
        bool dashFlag = !parameter.empty() && parameter[0] == '-';
        bool slashFlag = !parameter.empty() && parameter[0] == '/' && isKnownFlag(lowered(parameter.substr(1)));
        if (dashFlag || slashFlag)
            applyFlag(info, lowered(parameter.substr(1)));
        else if (info.fileName.empty())
            info.fileName = parameter;
    }
    return info;
}

std::string CommandLineInfo::applicationTitle() const
{
    static const char* const kModes[] = {"(CMP Editor)", "(HDP Editor)", "(HAP Editor)"};
    int mode = editorMode >= 0 && editorMode <= 2 ? editorMode : 0;
    return std::string("Chattermask Studio ") + kModes[mode];
}

int chooseProcessorPath(const CommandLineInfo& info)
{
    return info.processorPathGiven ? info.processorPath : detectProcessorPath();
}
