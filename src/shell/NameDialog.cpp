#include "shell/NameDialog.h"

#include "Common/ResourceIds.h"
#include "shell/DialogButtons.h"
#include "shell/ResourceUi.h"

#include <QLabel>
#include <QLineEdit>
#include <QDialogButtonBox>
#include <QVBoxLayout>

NameDialog::NameDialog(unsigned titleId, unsigned promptId, QWidget* parent) : QDialog(parent)
{
    setObjectName("NameDialog");
    setWindowTitle(ResourceUi::text(titleId));
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(ResourceUi::text(promptId), this);
    edit_ = new QLineEdit(this);
    edit_->setObjectName("name");
    edit_->setMaxLength(256);
    prompt->setBuddy(edit_);
    layout->addWidget(prompt);
    layout->addWidget(edit_);
    layout->addWidget(makeDialogButtons(this, res::kDialogName));
    setMinimumWidth(320);
}

QString NameDialog::name() const { return edit_->text().trimmed(); }

void NameDialog::setName(const QString& name) { edit_->setText(name); }
