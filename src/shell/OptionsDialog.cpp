#include "shell/OptionsDialog.h"

#include "Common/ResourceIds.h"
#include "shell/DialogButtons.h"
#include "shell/ResourceUi.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QVBoxLayout>

QColor colorFromBgr(std::uint32_t bgr) { return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff); }

std::uint32_t bgrFromColor(const QColor& color)
{
    return static_cast<std::uint32_t>(color.red()) | static_cast<std::uint32_t>(color.green()) << 8 |
           static_cast<std::uint32_t>(color.blue()) << 16;
}

OptionsDialog::OptionsDialog(const FrameOptions& options, bool timelineAvailable, QWidget* parent)
    : QDialog(parent), indicatorColor_(options.indicatorColor), amplitudeColor_(options.amplitudeColor)
{
    constexpr unsigned id = res::kDialogOptions;
    auto text = [](unsigned control) { return ResourceUi::dialogText(id, control); };
    setObjectName("OptionsDialog");
    setWindowTitle(text(0));
    auto* layout = new QVBoxLayout(this);

    auto* window = new QGroupBox(text(1170), this);
    auto* windowLayout = new QVBoxLayout(window);
    floating_ = new QCheckBox(text(1171), window);
    keepSize_ = new QCheckBox(text(1172), window);
    floating_->setObjectName("1171");
    keepSize_->setObjectName("1172");
    floating_->setChecked(options.toolBarFloating != 0);
    keepSize_->setChecked(options.keepDockWindowSize != 0);
    windowLayout->addWidget(floating_);
    windowLayout->addWidget(keepSize_);
    layout->addWidget(window);

    auto* timeline = new QGroupBox(text(1173), this);
    timeline->setObjectName("1173");
    auto* grid = new QGridLayout(timeline);
    minutes_ = new QCheckBox(text(1025), timeline);
    minutes_->setObjectName("1025");
    minutes_->setChecked(options.useMinuteUnit != 0);
    grid->addWidget(minutes_, 0, 0, 1, 2);
    auto* indicatorLabel = new QLabel(text(1174), timeline);
    auto* amplitudeLabel = new QLabel(text(1175), timeline);
    indicatorLabel->setObjectName("1174");
    amplitudeLabel->setObjectName("1175");
    indicator_ = new QPushButton(text(1026), timeline);
    amplitude_ = new QPushButton(text(1027), timeline);
    indicator_->setObjectName("1026");
    amplitude_->setObjectName("1027");
    indicatorLabel->setBuddy(indicator_);
    amplitudeLabel->setBuddy(amplitude_);
    grid->addWidget(indicatorLabel, 1, 0);
    grid->addWidget(indicator_, 1, 1);
    grid->addWidget(amplitudeLabel, 2, 0);
    grid->addWidget(amplitude_, 2, 1);
    grid->setColumnStretch(0, 1);
    showColor(indicator_, indicatorColor_);
    showColor(amplitude_, amplitudeColor_);
    connect(indicator_, &QPushButton::clicked, this, [this] { chooseColor(indicatorColor_, indicator_); });
    connect(amplitude_, &QPushButton::clicked, this, [this] { chooseColor(amplitudeColor_, amplitude_); });
    layout->addWidget(timeline);
    for (QWidget* control : std::initializer_list<QWidget*>{timeline, minutes_, indicatorLabel, amplitudeLabel,
                                                           indicator_, amplitude_})
        control->setEnabled(timelineAvailable);

    layout->addStretch(1);
    layout->addWidget(makeDialogButtons(this, id));
    setMinimumWidth(380);
}

void OptionsDialog::showColor(QPushButton* button, std::uint32_t color)
{
    QPixmap swatch(28, 12);
    swatch.fill(colorFromBgr(color));
    QPainter painter(&swatch);
    painter.setPen(QColor(60, 60, 60));
    painter.drawRect(0, 0, swatch.width() - 1, swatch.height() - 1);
    painter.end();
    button->setIcon(QIcon(swatch));
    button->setIconSize(swatch.size());
}

void OptionsDialog::chooseColor(std::uint32_t& color, QPushButton* button)
{
    QColor chosen = QColorDialog::getColor(colorFromBgr(color), this);
    if (!chosen.isValid())
        return;
    color = bgrFromColor(chosen);
    showColor(button, color);
}

FrameOptions OptionsDialog::options() const
{
    FrameOptions options;
    options.toolBarFloating = floating_->isChecked() ? 1 : 0;
    options.keepDockWindowSize = keepSize_->isChecked() ? 1 : 0;
    options.useMinuteUnit = minutes_->isChecked() ? 1 : 0;
    options.indicatorColor = indicatorColor_;
    options.amplitudeColor = amplitudeColor_;
    return options;
}
