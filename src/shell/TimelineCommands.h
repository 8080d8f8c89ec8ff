#pragma once

class CChattermaskEditorMainFrame;
class TimelineUndo;

// The project editor's commands that fill tracks from the voice: the lip-sync (the spoken-text dialog,
// then the analysis under a progress dialog that cancels) and the automatic head turns. Each result is
// one step of the track window's undo history. The flows themselves are the session's.
class TimelineCommands {
public:
    explicit TimelineCommands(CChattermaskEditorMainFrame& frame) : frame_(frame) {}

    bool handles(unsigned id) const;
    // Both want the project editor's timeline page, a voice and a head model that is not busy.
    bool isEnabled(unsigned id) const;
    void run(unsigned id);

    // One run each; true when the track was filled.
    bool lipSync();
    bool headTurns();

private:
    TimelineUndo* history() const;
    void afterChange();

    CChattermaskEditorMainFrame& frame_;
};
