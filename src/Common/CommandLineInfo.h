#pragma once

#include <string>
#include <vector>

// What the program's command line asks for: editor, processor path and the file to open.
struct CommandLineInfo {
    enum EditorMode : int { kProjectEditor = 0, kHeadDefinitionEditor = 1, kHeadAnimationEditor = 2 };

    int processorPath = 0;
    int processorPathGiven = 0;
    int editorMode = kProjectEditor;
    int openAsUntitled = 0;
    int deleteFileOnExit = 0;
    std::string fileName;

    // Parses the parameters after the program name. Flags count only after "-" or "/" and ignore
    // case; the last processor flag wins; the first parameter that is not a flag is the file.
    static CommandLineInfo parse(const std::vector<std::string>& parameters);

    // The editor's title, which is also the name its settings are stored under.
    std::string applicationTitle() const;
};

// The processor path to use: the one given on the command line, else the detected one.
int chooseProcessorPath(const CommandLineInfo& info);
