#include "shell/TimelineCommands.h"

#include "Common/ResourceIds.h"
#include "session/LipSyncFlow.h"
#include "session/ProjectSession.h"
#include "shell/CChattermaskEditorMainFrame.h"
#include "shell/CEditDlg.h"
#include "shell/HostedWindows.h"
#include "shell/LipSyncProgressDialog.h"
#include "shell/ResourceUi.h"
#include "shell/ShellDialogs.h"
#include "timeline/HeadTurnGenerator.h"
#include "timeline/ui/CTrackRegionWnd.h"

using namespace res;

namespace {

// The lip-sync dialog's choice for voices without text, kept from one run to the next.
const QString kSettingsSection = QStringLiteral("Settings");
const QString kRecogniseWordsValue = QStringLiteral("Lip-sync Recognise Words");

QString readTextFile(const std::filesystem::path& file)
{
    std::string script;
    CoreStatus ignored;
    if (file.empty() || !readScriptFile(file, script, ignored))
        return {};
    return QString::fromUtf8(script.data(), static_cast<qsizetype>(script.size()));
}

} // namespace

bool TimelineCommands::handles(unsigned id) const
{
    return id == kCmdLipSync || id == kCmdHeadTurns;
}

bool TimelineCommands::isEnabled(unsigned id) const
{
    const ProjectSession& session = frame_.session();
    return handles(id) && frame_.editorMode() == 0 && frame_.editPanel() &&
           frame_.editPanel()->hasPage(CEditDlg::kTimelinePage) && session.timeline().sampleCount() > 0 &&
           !session.timeline().voiceFile().empty() && !session.isBusy();
}

void TimelineCommands::run(unsigned id)
{
    if (!isEnabled(id))
        return;
    if (id == kCmdLipSync)
        lipSync();
    else
        headTurns();
}

TimelineUndo* TimelineCommands::history() const
{
    CTrackRegionWnd* region = frame_.hostedWindows().trackRegion();
    return region ? &region->undoStack() : nullptr;
}

// The tracks changed outside the track window: it shows them, and the frame the modified document.
void TimelineCommands::afterChange()
{
    frame_.editPanel()->showPage(CEditDlg::kTimelinePage);
    if (CTrackRegionWnd* region = frame_.hostedWindows().trackRegion())
        region->tracksReplaced();
    frame_.updateTitle();
    frame_.updateCommandUi();
}

bool TimelineCommands::lipSync()
{
    ProjectSession& session = frame_.session();
    const std::filesystem::path textFile = voiceTextFile(session);
    QString text = readTextFile(textFile);
    bool recogniseWords = frame_.settings().readInt(kSettingsSection, kRecogniseWordsValue, 0) != 0;
    if (!frame_.dialogs().askSpokenText(
            text, recogniseWords, text.isEmpty() ? QString() : QString::fromStdString(textFile.string())))
        return false;
    frame_.settings().writeInt(kSettingsSection, kRecogniseWordsValue, recogniseWords ? 1 : 0);
    LipSyncRequest request;
    request.script = text.toStdString();
    request.recogniseWords = recogniseWords;
    CoreStatus status;
    LipSyncOutcome outcome;
    bool ok = false;
    {
        LipSyncProgressDialog progress(&frame_);
        ok = runLipSync(session, request, progress.callback(), history(), status, &outcome);
    }
    if (!ok) {
        frame_.dialogs().showStatus(status);
        return false;
    }
    afterChange();
    return outcome.trackReplaced;
}

bool TimelineCommands::headTurns()
{
    CoreStatus status;
    if (!runAutomaticHeadTurns(frame_.session(), drawHeadTurnOffset(), history(), status)) {
        frame_.dialogs().showStatus(status);
        return false;
    }
    afterChange();
    return true;
}
