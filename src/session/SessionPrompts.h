#pragma once

#include <optional>
#include <string>

// The questions a document flow must ask before it goes on. The studio answers them with message
// boxes and dialogs; the command-line tool with its flags or a stated default; tests with a script.
class SessionPrompts {
public:
    enum class Answer { yes, no, cancel };

    virtual ~SessionPrompts() = default;
    // A Yes/No question by its message number (0xE828, 0xE827, 0xE82B, 0xE82C).
    virtual bool confirm(unsigned messageId) = 0;
    // The save-changes question (0xE849) with Yes, No and Cancel.
    virtual Answer askSaveChanges() = 0;
    // Another name for an entry whose name `taken` is already in the list; nothing cancels the add.
    virtual std::optional<std::string> askNewName(const std::string& taken) = 0;
    // A path to save to (the Save As dialog, with its overwrite question) for a file of `extension`
    // ("cmp", "hdp", "hap", "wav"); nothing cancels. The default has no dialog and cancels.
    virtual std::optional<std::string> askSavePath(const std::string& extension)
    {
        (void)extension;
        return std::nullopt;
    }
};

// Answers every question with a stated default: No to Yes/No questions, No to the save-changes
// question, no new name and no path. Used where nobody can be asked.
class DefaultPrompts : public SessionPrompts {
public:
    bool confirm(unsigned) override { return false; }
    Answer askSaveChanges() override { return Answer::no; }
    std::optional<std::string> askNewName(const std::string&) override { return std::nullopt; }
};
