#pragma once

class QDialog;
class QDialogButtonBox;

// OK and (when `withCancel`) Cancel buttons with the texts of dialog `dialogId`, wired to accept and
// reject.
QDialogButtonBox* makeDialogButtons(QDialog* dialog, unsigned dialogId, bool withCancel = true);
