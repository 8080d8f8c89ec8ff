#include "shell/DialogButtons.h"

#include "Common/ResourceIds.h"
#include "shell/ResourceUi.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

QDialogButtonBox* makeDialogButtons(QDialog* dialog, unsigned dialogId, bool withCancel)
{
    auto* box = new QDialogButtonBox(dialog);
    QString ok = ResourceUi::dialogText(dialogId, 1);
    QPushButton* okButton = box->addButton(ok.isEmpty() ? ResourceUi::text(res::kStrOk) : ok, QDialogButtonBox::AcceptRole);
    okButton->setDefault(true);
    okButton->setObjectName("ok");
    if (withCancel) {
        QString cancel = ResourceUi::dialogText(dialogId, 2);
        box->addButton(cancel.isEmpty() ? ResourceUi::text(res::kStrCancel) : cancel, QDialogButtonBox::RejectRole)
            ->setObjectName("cancel");
    }
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}
