#include "animation/ui/CRecorderDialog.h"

#include "Common/ResourceLibrary.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr unsigned kMessageSaveFailed = 0xE826;
constexpr unsigned kTitleSaveRecording = 0xE870;

} // namespace

CRecorderDialog::CRecorderDialog(QWidget* parent, std::unique_ptr<RecorderDevice> device,
                                 const ResourceLibrary* resources)
    : QDialog(parent), device_(std::move(device)), recorder_(*device_), resources_(resources)
{
    setWindowTitle(tr("Record Voice"));
    auto* layout = new QVBoxLayout(this);
    status_ = new QLabel(this);
    layout->addWidget(status_);
    auto* row = new QHBoxLayout;
    record_ = new QPushButton(tr("Record"), this);
    record_->setCheckable(true);
    play_ = new QPushButton(tr("Play"), this);
    stop_ = new QPushButton(tr("Stop"), this);
    save_ = new QPushButton(tr("Save..."), this);
    auto* close = new QPushButton(tr("Close"), this);
    for (QPushButton* button : {record_, play_, stop_, save_, close})
        row->addWidget(button);
    layout->addLayout(row);
    timer_ = new QTimer(this);
    timer_->setInterval(CRecorder::kTimerPeriodMs);

    connect(record_, &QPushButton::clicked, this, &CRecorderDialog::onRecord);
    connect(play_, &QPushButton::clicked, this, &CRecorderDialog::onPlay);
    connect(stop_, &QPushButton::clicked, this, &CRecorderDialog::onStop);
    connect(save_, &QPushButton::clicked, this, &CRecorderDialog::onSave);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(timer_, &QTimer::timeout, this, [this] {
        recorder_.tick();
        refresh();
    });
    refresh();
}

CRecorderDialog::~CRecorderDialog()
{
    recorder_.close();
}

void CRecorderDialog::onRecord()
{
    recorder_.record();
    refresh();
}

void CRecorderDialog::onPlay()
{
    recorder_.play();
    refresh();
}

void CRecorderDialog::onStop()
{
    recorder_.stop();
    refresh();
}

bool CRecorderDialog::saveTo(const std::filesystem::path& path)
{
    if (!recorder_.save(path)) {
        refresh();
        return false;
    }
    savedPath_ = path;
    return true;
}

void CRecorderDialog::onSave()
{
    const QString title = resources_
                              ? QString::fromStdString(resources_->text(kTitleSaveRecording).value_or(""))
                              : tr("Save Recording");
    QFileDialog dialog(this, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("wav");
    dialog.setNameFilter(tr("Wave Sounds (*.wav)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const std::filesystem::path path = dialog.selectedFiles().front().toStdString();
    if (!saveTo(path)) {
        const std::string text = resources_ ? resources_->format(kMessageSaveFailed, path.string().c_str())
                                            : "The recording could not be stored in " + path.string() + ".";
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(text));
    }
}

void CRecorderDialog::done(int result)
{
    recorder_.close();
    timer_->stop();
    QDialog::done(result);
}

void CRecorderDialog::refresh()
{
    const CRecorder::Buttons& buttons = recorder_.buttons();
    record_->setEnabled(buttons.record);
    record_->setChecked(buttons.recordChecked);
    play_->setEnabled(buttons.play);
    save_->setEnabled(buttons.save);
    stop_->setEnabled(buttons.stop);
    if (recorder_.runningTimer() != CRecorder::kNoTimer && !timer_->isActive())
        timer_->start();
    if (recorder_.runningTimer() == CRecorder::kNoTimer)
        timer_->stop();
    const QString time = QString("%1:%2")
                             .arg(recorder_.shownMinutes(), 2, 10, QChar('0'))
                             .arg(recorder_.shownSeconds(), 2, 10, QChar('0'));
    switch (recorder_.status()) {
    case CRecorder::Status::recording:
        status_->setText(tr("Recording %1").arg(time));
        break;
    case CRecorder::Status::playing:
        status_->setText(tr("Playing %1").arg(time));
        break;
    case CRecorder::Status::idle:
        status_->setText(tr("Ready"));
        break;
    }
}
