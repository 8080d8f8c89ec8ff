#include "shell/LipSyncProgressDialog.h"

#include "Common/ResourceIds.h"
#include "shell/ResourceUi.h"

#include <QApplication>
#include <QProgressDialog>

namespace {

constexpr int kShowAfterMs = 400;

} // namespace

LipSyncProgressDialog::LipSyncProgressDialog(QWidget* parent)
    : dialog_(std::make_unique<QProgressDialog>(ResourceUi::text(res::kStrLipSyncProgressText),
                                                ResourceUi::text(res::kStrCancel), 0, kProgressTotal, parent))
{
    dialog_->setObjectName("LipSyncProgress");
    dialog_->setWindowTitle(ResourceUi::text(res::kStrLipSyncProgressTitle));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(kShowAfterMs);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumWidth(360);
    dialog_->setValue(0);
}

LipSyncProgressDialog::~LipSyncProgressDialog() = default;

LipSyncProgress LipSyncProgressDialog::callback()
{
    QProgressDialog* dialog = dialog_.get();
    return [dialog](unsigned step, unsigned total, const std::string& remaining, const std::string& elapsed) {
        dialog->setValue(total ? static_cast<int>(std::min(step, total) * kProgressTotal / total) : 0);
        if (!remaining.empty())
            dialog->setLabelText(ResourceUi::text(res::kStrLipSyncProgressText) + "\n" +
                                 ResourceUi::format(res::kStrElapsedTime, elapsed.c_str()) +
                                 ResourceUi::format(res::kStrRemainingTime, remaining.c_str()));
        QApplication::processEvents();
        return dialog->wasCanceled() || QApplication::closingDown() ? 0 : 1;
    };
}
