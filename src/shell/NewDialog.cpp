#include "shell/NewDialog.h"

#include "Common/ResourceIds.h"
#include "shell/DialogButtons.h"
#include "shell/ResourceUi.h"

#include <QLabel>
#include <QRadioButton>
#include <QDialogButtonBox>
#include <QVBoxLayout>

NewDialog::NewDialog(QWidget* parent) : QDialog(parent)
{
    constexpr unsigned id = res::kDialogNew;
    setObjectName("NewDialog");
    setWindowTitle(ResourceUi::dialogText(id, 0));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ResourceUi::dialogText(id, 1001), this));
    male_ = new QRadioButton(ResourceUi::dialogText(id, 1002), this);
    female_ = new QRadioButton(ResourceUi::dialogText(id, 1003), this);
    male_->setObjectName("male");
    female_->setObjectName("female");
    male_->setChecked(true);
    layout->addWidget(male_);
    layout->addWidget(female_);
    layout->addSpacing(8);
    layout->addWidget(makeDialogButtons(this, id));
    setMinimumWidth(320);
}

bool NewDialog::female() const { return female_->isChecked(); }

void NewDialog::setFemale(bool female) { (female ? female_ : male_)->setChecked(true); }
