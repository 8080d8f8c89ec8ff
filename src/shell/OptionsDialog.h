#pragma once

#include "shell/FrameOptions.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

// Dialog 104: the five options. The head definition editor has no timeline, so its timeline
// controls (1173, 1025, 1174, 1175, 1026, 1027) are unavailable there.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(const FrameOptions& options, bool timelineAvailable, QWidget* parent = nullptr);
    FrameOptions options() const;

private:
    void chooseColor(std::uint32_t& color, QPushButton* button);
    static void showColor(QPushButton* button, std::uint32_t color);

    QCheckBox* floating_;
    QCheckBox* keepSize_;
    QCheckBox* minutes_;
    QPushButton* indicator_;
    QPushButton* amplitude_;
    std::uint32_t indicatorColor_;
    std::uint32_t amplitudeColor_;
};

// 0x00BBGGRR as a colour and back.
QColor colorFromBgr(std::uint32_t bgr);
std::uint32_t bgrFromColor(const QColor& color);
