#include "shell/DocumentCommands.h"

#include "Common/ResourceIds.h"
#include "documents/G723StreamCoder.h"
#include "documents/SpeechFrameCoder.h"
#include "session/ProjectSession.h"
#include "shell/CChattermaskEditorMainFrame.h"
#include "shell/CEditDlg.h"
#include "shell/CompanionNotifier.h"
#include "shell/ProgressRunner.h"
#include "shell/ResourceUi.h"
#include "shell/ShellDialogs.h"

#include <QFileInfo>

using namespace res;

namespace {

constexpr unsigned kDocumentCommands[] = {kCmdNew,
                                          kCmdOpen,
                                          kCmdSave,
                                          kCmdSaveAs,
                                          kCmdSaveAsHeadDefinition,
                                          kCmdSaveAsHeadAnimation,
                                          kCmdOpenHeadDefinition,
                                          kCmdOpenHeadAnimation,
                                          kCmdImportFace,
                                          kCmdImportMask,
                                          kCmdExportFace,
                                          kCmdExportMask,
                                          kCmdImportVoice,
                                          kCmdExportVoice,
                                          kCmdRecordVoice,
                                          kCmdSaveStream,
                                          kCmdExportMedia,
                                          kCmdSummary};

const char* const kModeExtensions[] = {"cmp", "hdp", "hap"};

DocumentKind modeKind(int mode)
{
    return mode == 1   ? DocumentKind::headDefinition
           : mode == 2 ? DocumentKind::headAnimation
                       : DocumentKind::project;
}

} // namespace

bool DocumentCommands::handles(unsigned id) const
{
    return std::find(std::begin(kDocumentCommands), std::end(kDocumentCommands), id) !=
           std::end(kDocumentCommands);
}

bool DocumentCommands::isEnabled(unsigned id) const
{
    ProjectSession& session = frame_.session();
    bool idle = !session.isBusy();
    bool model = session.headModel() != nullptr;
    switch (id) {
    case kCmdNew:
    case kCmdOpen:
    case kCmdOpenHeadDefinition:
    case kCmdOpenHeadAnimation:
    case kCmdRecordVoice:
        return idle;
    case kCmdSave:
    case kCmdSaveAs:
    case kCmdImportFace:
    case kCmdImportMask:
    case kCmdExportFace:
    case kCmdExportMask:
        return model && idle;
    // The session writes the document of the mode; a pack of a project on its own is not one of its
    // flows yet.
    // The project editor writes either pack as a copy; a pack editor writes its own kind.
    case kCmdSaveAsHeadDefinition:
        return model && idle && frame_.editorMode() != 2;
    case kCmdSaveAsHeadAnimation:
        return model && idle && frame_.editorMode() != 1;
    case kCmdImportVoice:
        return idle && frame_.editPanel() != nullptr;
    case kCmdExportVoice:
        return idle && session.timeline().sampleCount() > 0;
    case kCmdSaveStream:
        return model && idle && session.timeline().sampleCount() > 0;
    case kCmdExportMedia:
        return model && idle && session.timeline().sampleCount() > 0 && frame_.mediaExport != nullptr;
    case kCmdSummary:
        return session.hasFile();
    default:
        return false;
    }
}

void DocumentCommands::run(unsigned id)
{
    ShellDialogs& dialogs = frame_.dialogs();
    int mode = frame_.editorMode();
    switch (id) {
    case kCmdNew: {
        if (!frame_.promptSaveChanges())
            return;
        bool female = false;
        if (dialogs.askNewHead(female))
            newFromDefault(female);
        return;
    }
    case kCmdOpen:
        if (mode == 0) {
            if (!frame_.promptSaveChanges())
                return;
            if (auto path = dialogs.openFile(kStrTitleOpenProject, kStrFilterProject))
                openPath(*path, false);
            return;
        }
        run(mode == 1 ? kCmdOpenHeadDefinition : kCmdOpenHeadAnimation);
        return;
    case kCmdOpenHeadDefinition:
    case kCmdOpenHeadAnimation: {
        if (!frame_.promptSaveChanges())
            return;
        bool definition = id == kCmdOpenHeadDefinition;
        auto path = dialogs.openFile(definition ? kStrTitleOpenHeadDefinition : kStrTitleOpenHeadAnimation,
                                     definition ? kStrFilterHeadDefinition : kStrFilterHeadAnimation);
        if (path)
            importPack(id, *path);
        return;
    }
    case kCmdSave:
        save();
        return;
    case kCmdSaveAs:
    case kCmdSaveAsHeadDefinition:
    case kCmdSaveAsHeadAnimation:
        saveAs(id);
        return;
    case kCmdImportFace:
    case kCmdImportMask:
        frame_.editPanel()->showPage(CEditDlg::kHeadPage);
        if (auto path = dialogs.openFile(kStrTitleOpenPicture, kStrFilterPicture))
            importPicture(id, *path);
        return;
    case kCmdImportVoice:
        importVoice(QString());
        return;
    case kCmdExportFace:
    case kCmdExportMask:
    case kCmdExportVoice:
        exportAsset(id);
        return;
    case kCmdRecordVoice:
        recordVoice();
        return;
    case kCmdSaveStream:
        saveStream();
        return;
    case kCmdExportMedia:
        if (frame_.mediaExport)
            frame_.mediaExport();
        return;
    case kCmdSummary:
        editSummary();
        return;
    default:
        return;
    }
}

bool DocumentCommands::newFromDefault(bool female)
{
    CoreStatus status;
    bool ok = frame_.session().newDocument(female ? DefaultHead::female : DefaultHead::male, status);
    frame_.dialogs().showStatus(status);
    frame_.clearPanelsModified();
    frame_.updateTitle();
    return ok;
}

bool DocumentCommands::openPath(const QString& path, bool untitled)
{
    CoreStatus status;
    bool ok =
        frame_.session().openDocument(QFileInfo(path).absoluteFilePath().toStdString(), untitled, status);
    frame_.dialogs().showStatus(status);
    if (ok && !untitled)
        frame_.addRecentFile(path);
    frame_.updateTitle();
    return ok;
}

bool DocumentCommands::importPack(unsigned command, const QString& path)
{
    DocumentKind kind =
        command == kCmdOpenHeadDefinition ? DocumentKind::headDefinition : DocumentKind::headAnimation;
    CoreStatus status;
    bool ok = frame_.session().importPack(path.toStdString(), kind, status);
    frame_.dialogs().showStatus(status);
    // In the pack's own editor the pack is the document, and so a recent file.
    if (ok && frame_.editorMode() != 0)
        frame_.addRecentFile(path);
    frame_.updateTitle();
    return ok;
}

bool DocumentCommands::save()
{
    ProjectSession& session = frame_.session();
    // An untitled document is saved as a new file: the session asks for the path.
    bool asNew = session.isUntitled() || session.documentPath().empty();
    CoreStatus status;
    bool ok = session.save(status);
    frame_.dialogs().showStatus(status);
    if (ok) {
        frame_.clearPanelsModified();
        QString path = QString::fromStdString(session.documentPath());
        if (asNew)
            frame_.addRecentFile(path);
        afterSave(path, asNew);
    }
    frame_.updateTitle();
    return ok;
}

bool DocumentCommands::saveAs(unsigned command)
{
    // The document's kind: the mode's, or in the project editor the pack the command names.
    int kind = command == kCmdSaveAsHeadDefinition  ? 1
               : command == kCmdSaveAsHeadAnimation ? 2
                                                    : frame_.editorMode();
    unsigned title = kind == 1   ? kStrTitleSaveHeadDefinition
                     : kind == 2 ? kStrTitleSaveHeadAnimation
                                 : kStrTitleSaveProject;
    unsigned filter = kind == 1   ? kStrFilterHeadDefinition
                      : kind == 2 ? kStrFilterHeadAnimation
                                  : kStrFilterProject;
    auto path = frame_.dialogs().saveFile(title, filter, kModeExtensions[kind]);
    if (!path)
        return false;
    CoreStatus status;
    if (kind != frame_.editorMode()) {
        bool ok = frame_.session().savePackAs(path->toStdString(), modeKind(kind), status);
        frame_.dialogs().showStatus(status);
        return ok;
    }
    bool ok = frame_.session().saveAs(path->toStdString(), status);
    frame_.dialogs().showStatus(status);
    if (ok) {
        frame_.clearPanelsModified();
        frame_.addRecentFile(*path);
        afterSave(QFileInfo(*path).absoluteFilePath(), true);
    }
    frame_.updateTitle();
    return ok;
}

void DocumentCommands::afterSave(const QString& path, bool askFirst)
{
    if (!CompanionNotifier::isListening())
        return;
    if (askFirst && !frame_.dialogs().askTellCompanion())
        return;
    CompanionNotifier::notify(path, static_cast<int>(modeKind(frame_.editorMode())), askFirst ? 0 : 1);
}

void DocumentCommands::importPicture(unsigned command, const QString& path)
{
    CoreStatus status;
    ProjectSession& session = frame_.session();
    if (command == kCmdImportFace)
        session.importFaceTexture(path.toStdString(), status);
    else
        session.importMask(path.toStdString(), status);
    frame_.dialogs().showStatus(status);
}

void DocumentCommands::importVoice(const QString& given)
{
    frame_.editPanel()->showPage(CEditDlg::kTimelinePage);
    QString path = given;
    if (path.isEmpty()) {
        auto picked = frame_.dialogs().openFile(kStrTitleImportVoice, kStrFilterWave);
        if (!picked)
            return;
        path = *picked;
    }
    CoreStatus status;
    ProgressRunner runner(&frame_, kStrTitleImportVoice);
    frame_.session().importVoice(path.toStdString(), status, runner.callback());
    frame_.dialogs().showStatus(status);
}

void DocumentCommands::exportAsset(unsigned command)
{
    AssetKind kind = command == kCmdExportFace   ? AssetKind::faceTexture
                     : command == kCmdExportMask ? AssetKind::mask
                                                 : AssetKind::speech;
    bool voice = kind == AssetKind::speech;
    auto path = frame_.dialogs().saveFile(voice ? kStrTitleSaveRecording : kStrTitleExportPicture,
                                          voice ? kStrFilterWave : kStrFilterPicture, voice ? "wav" : "jpg");
    if (!path)
        return;
    CoreStatus status;
    frame_.session().exportAsset(kind, path->toStdString(), status);
    frame_.dialogs().showStatus(status);
}

void DocumentCommands::recordVoice()
{
    // The recorder dialog belongs to the preview; without it there is nothing to record with.
    RecordingTake take;
    if (!frame_.recorder || !frame_.recorder(take))
        return;
    CoreStatus status;
    frame_.session().useRecording(take, status);
    frame_.dialogs().showStatus(status);
}

void DocumentCommands::saveStream()
{
    auto path = frame_.dialogs().saveFile(kStrTitleSaveStream, kStrFilterStream, "cmt");
    if (!path)
        return;
    std::unique_ptr<SpeechFrameCoder> coder = makeG723StreamCoder();
    CoreStatus status;
    ProgressRunner runner(&frame_, kStrProgressStream);
    frame_.session().saveStream(path->toStdString(), *coder, status, runner.callback());
    frame_.dialogs().showStatus(status);
}

void DocumentCommands::editSummary()
{
    ProjectSession& session = frame_.session();
    DocumentKind kind = modeKind(frame_.editorMode());
    SummaryInfo summary = session.store().summary(kind);
    if (!frame_.dialogs().editSummary(summary))
        return;
    session.store().setSummary(kind, summary);
    session.setModified(true);
}

void DocumentCommands::dropFile(const QString& path)
{
    QString suffix = QFileInfo(path).suffix().toLower();
    int mode = frame_.editorMode();
    if (suffix == kModeExtensions[mode]) {
        if (frame_.promptSaveChanges())
            openPath(path, false);
    } else if (mode == 0 && (suffix == "hdp" || suffix == "hap")) {
        if (isEnabled(kCmdOpenHeadDefinition) && frame_.promptSaveChanges())
            importPack(suffix == "hdp" ? kCmdOpenHeadDefinition : kCmdOpenHeadAnimation, path);
    } else if (suffix == "jpg" || suffix == "jpeg") {
        if (mode != 2 && isEnabled(kCmdImportFace)) {
            frame_.editPanel()->showPage(CEditDlg::kHeadPage);
            importPicture(kCmdImportFace, path);
        }
    } else if (suffix != "cmp" && suffix != "hdp" && suffix != "hap" && mode != 1 &&
               isEnabled(kCmdImportVoice)) {
        importVoice(path); // a WAV or any other sound the conversion can read
    }
}
