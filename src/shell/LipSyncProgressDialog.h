#pragma once

#include "lipsync/LipSyncAnalyzer.h"

#include <memory>

class QProgressDialog;
class QWidget;

// The modal progress of one lip-sync analysis: the bar, and once the analysis can tell, the elapsed and
// the remaining time under it. Cancel takes effect when the recogniser has finished the block it is on.
class LipSyncProgressDialog {
public:
    explicit LipSyncProgressDialog(QWidget* parent);
    ~LipSyncProgressDialog();

    // Shows each step; zero (cancel) once Cancel was pressed or the program is closing.
    LipSyncProgress callback();
    QProgressDialog* dialog() const { return dialog_.get(); }

private:
    std::unique_ptr<QProgressDialog> dialog_;
};
