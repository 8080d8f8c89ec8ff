#include "shell/ProgressRunner.h"

#include "Common/ResourceIds.h"
#include "shell/ResourceUi.h"

#include <QApplication>
#include <QProgressDialog>

namespace {

constexpr int kSteps = 1000;
constexpr int kShowAfterMs = 400;

} // namespace

ProgressRunner::ProgressRunner(QWidget* parent, unsigned titleId)
    : dialog_(std::make_unique<QProgressDialog>(ResourceUi::text(titleId), ResourceUi::text(res::kStrCancel), 0, kSteps,
                                                parent))
{
    dialog_->setObjectName("ProgressDialog");
    dialog_->setWindowTitle(ResourceUi::text(res::kStrMessageTitle));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(kShowAfterMs);
    dialog_->setAutoClose(false);
    dialog_->setValue(0);
}

ProgressRunner::~ProgressRunner() = default;

ProgressCallback ProgressRunner::callback()
{
    QProgressDialog* dialog = dialog_.get();
    return [dialog](std::uint64_t done, std::uint64_t total) {
        int step = total ? static_cast<int>(std::min<std::uint64_t>(done, total) * kSteps / total) : 0;
        dialog->setValue(step);
        QApplication::processEvents();
        return !dialog->wasCanceled();
    };
}
