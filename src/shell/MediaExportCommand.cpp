#include "shell/MediaExportCommand.h"

#include "Common/ResourceIds.h"
#include "session/MediaExport.h"
#include "session/ProjectSession.h"
#include "session/SessionMessages.h"
#include "shell/CChattermaskEditorMainFrame.h"
#include "shell/ResourceUi.h"
#include "shell/ShellDialogs.h"

#include <QApplication>
#include <QProgressDialog>

#include <memory>
#include <random>

namespace {

constexpr unsigned kStrExportTitle = 129;
constexpr unsigned kStrExportText = 59533;
constexpr unsigned kStrFilterStream = 59497, kStrTitleStream = 59506;
constexpr unsigned kStrFilterVideo = 59498, kStrTitleVideo = 59507;
constexpr int kShowAfterMs = 400;

// The modal progress of one export; its Cancel stops the export at the next frame.
class ExportProgress {
public:
    explicit ExportProgress(QWidget* parent)
        : dialog_(std::make_unique<QProgressDialog>(ResourceUi::text(kStrExportText),
                                                    ResourceUi::text(res::kStrCancel), 0, 1000, parent))
    {
        dialog_->setObjectName("ExportProgress");
        dialog_->setWindowTitle(ResourceUi::text(kStrExportTitle));
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(kShowAfterMs);
        dialog_->setAutoClose(false);
        dialog_->setValue(0);
    }
    // Takes steps out of 1000, as the export flow reports them.
    ProgressCallback callback()
    {
        QProgressDialog* dialog = dialog_.get();
        return [dialog](std::uint64_t done, std::uint64_t) {
            dialog->setValue(int(std::min<std::uint64_t>(done, 1000)));
            QApplication::processEvents();
            return !dialog->wasCanceled();
        };
    }

private:
    std::unique_ptr<QProgressDialog> dialog_;
};

} // namespace

MediaExportCommand::MediaExportCommand(QWidget* parent, ProjectSession& session, ShellDialogs& dialogs,
                                       OptionsQuestion ask)
    : parent_(parent), session_(session), dialogs_(dialogs), ask_(std::move(ask))
{
    if (!ask_)
        ask_ = [parent, &dialogs](ExportOptions& options) {
            ExportDialog dialog(dialogs, options, parent);
            if (dialog.exec() != QDialog::Accepted)
                return false;
            options = dialog.options();
            return true;
        };
}

bool MediaExportCommand::run()
{
    if (!session_.headModel())
        return false;
    ExportOptions options;
    if (!ask_(options))
        return false;
    const bool video = options.kind == ExportKind::video;
    const std::optional<QString> path = dialogs_.saveFile(
        video ? kStrTitleVideo : kStrTitleStream, video ? kStrFilterVideo : kStrFilterStream,
        video ? QStringLiteral("wmv") : QStringLiteral("cmf"));
    if (!path)
        return false;

    MediaExportRequest request;
    request.output = path->toStdString();
    request.kind = options.kind;
    request.profileIndex = options.profile;
    request.writePage = options.writePage;
    request.blinkSeed = std::random_device{}();
    CoreStatus status;
    ExportCode code = kExportOk;
    {
        ExportProgress progress(parent_);
        code = exportMedia(session_, request, progress.callback(), status);
    }
    if (code == kExportOk)
        return true;
    if (status.messageId == kMsgModelBusy) {
        dialogs_.showStatus(status);
        return false;
    }
    for (const unsigned message : exportFailureMessages(code))
        dialogs_.showMessage(ResourceUi::text(message), ShellDialogs::Icon::stop);
    return false;
}

std::function<void()> mediaExportFor(CChattermaskEditorMainFrame& frame)
{
    auto command = std::make_shared<MediaExportCommand>(&frame, frame.session(), frame.dialogs());
    return [command] { command->run(); };
}
