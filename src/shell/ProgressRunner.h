#pragma once

#include "Common/Progress.h"

#include <memory>

class QProgressDialog;
class QWidget;

// A modal progress dialog with a Cancel button for one long task of the core: the callback shows
// the step out of 1000, keeps the windows responsive, and cancels the task when Cancel was pressed.
class ProgressRunner {
public:
    ProgressRunner(QWidget* parent, unsigned titleId);
    ~ProgressRunner();
    ProgressCallback callback();

private:
    std::unique_ptr<QProgressDialog> dialog_;
};
