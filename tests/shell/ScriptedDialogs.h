#pragma once

#include "shell/ShellDialogs.h"

#include <QStringList>

#include <deque>
#include <vector>

// Answers the frame's questions from queues the test fills, and records what was asked and shown.
// An empty queue answers No / Cancel / nothing, as a user who closes every window would.
class ScriptedDialogs : public ShellDialogs {
public:
    std::deque<bool> confirms;
    std::deque<Answer> saveChanges;
    std::deque<QString> openFiles, saveFiles, names; // a null QString cancels
    std::deque<std::optional<bool>> newHeads; // the sex picked, nothing for Cancel
    std::deque<bool> companion;
    std::optional<FrameOptions> options;
    std::optional<SummaryInfo> summary;
    std::deque<QString> spokenTexts; // the lip-sync dialog's text when OK is pressed; null: Cancel
    QString offeredText, offeredTextFile; // what the last lip-sync dialog opened with
    bool offeredRecogniseWords = false;
    bool answerRecogniseWords = false; // the check box when OK is pressed

    std::vector<unsigned> asked; // message numbers of the questions, 0xE849 for the save-changes one
    QStringList messages;
    QStringList urls;
    int saveChangesAsked = 0, companionAsked = 0, aboutShown = 0, saveFileAsked = 0, openFileAsked = 0;
    int spokenTextAsked = 0;

    bool confirm(unsigned messageId) override
    {
        asked.push_back(messageId);
        return pop(confirms, false);
    }
    Answer askSaveChanges() override
    {
        asked.push_back(0xE849);
        ++saveChangesAsked;
        return pop(saveChanges, Answer::cancel);
    }
    std::optional<std::string> askNewName(const std::string&) override
    {
        QString name = pop(names, QString());
        if (name.isNull())
            return std::nullopt;
        return name.toStdString();
    }
    std::optional<QString> openFile(unsigned, unsigned) override
    {
        ++openFileAsked;
        return orNothing(pop(openFiles, QString()));
    }
    std::optional<QString> saveFile(unsigned, unsigned, const QString&) override
    {
        ++saveFileAsked;
        return orNothing(pop(saveFiles, QString()));
    }
    void showMessage(const QString& text, Icon) override { messages << text; }
    bool askNewHead(bool& female) override
    {
        auto pick = pop(newHeads, std::optional<bool>());
        if (!pick)
            return false;
        female = *pick;
        return true;
    }
    bool askTellCompanion() override
    {
        ++companionAsked;
        return pop(companion, false);
    }
    bool editOptions(FrameOptions& value, bool) override
    {
        if (!options)
            return false;
        value = *options;
        return true;
    }
    bool editSummary(SummaryInfo& value) override
    {
        if (!summary)
            return false;
        value = *summary;
        return true;
    }
    void showAbout() override { ++aboutShown; }
    std::optional<QString> askName(unsigned, unsigned) override { return orNothing(pop(names, QString())); }
    void openUrl(const QUrl& url) override { urls << url.toString(); }
    bool askSpokenText(QString& text, bool& recogniseWords, const QString& textFile) override
    {
        ++spokenTextAsked;
        offeredText = text;
        offeredTextFile = textFile;
        offeredRecogniseWords = recogniseWords;
        const QString answer = pop(spokenTexts, QString());
        if (answer.isNull())
            return false;
        text = answer;
        recogniseWords = answerRecogniseWords;
        return true;
    }

private:
    static std::optional<QString> orNothing(const QString& text)
    {
        if (text.isNull())
            return std::nullopt;
        return text;
    }
    template <typename T> static T pop(std::deque<T>& queue, T fallback)
    {
        if (queue.empty())
            return fallback;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};
