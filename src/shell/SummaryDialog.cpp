#include "shell/SummaryDialog.h"

#include "Common/ResourceIds.h"
#include "shell/DialogButtons.h"
#include "shell/ResourceUi.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QDialogButtonBox>
#include <QVBoxLayout>

#include <cstring>

namespace {

constexpr int kCategories = 6;

QString summaryField(const char* field, size_t size) { return QString::fromUtf8(field, static_cast<int>(strnlen(field, size))); }

// Copies `text` into a fixed field, cut on a character boundary and always NUL-terminated.
template <size_t N> void setField(char (&field)[N], const QString& text)
{
    QByteArray bytes = text.toUtf8();
    int length = std::min<int>(static_cast<int>(bytes.size()), static_cast<int>(N) - 1);
    while (length > 0 && length < bytes.size() && (static_cast<unsigned char>(bytes[length]) & 0xC0) == 0x80)
        --length;
    std::memset(field, 0, N);
    std::memcpy(field, bytes.constData(), static_cast<size_t>(length));
}

} // namespace

SummaryDialog::SummaryDialog(const SummaryInfo& summary, QWidget* parent) : QDialog(parent)
{
    constexpr unsigned id = res::kDialogSummary;
    setObjectName("SummaryDialog");
    setWindowTitle(ResourceUi::dialogText(id, 0));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    category_ = new QComboBox(this);
    category_->setObjectName("category");
    category_->setEditable(true);
    category_->addItem(QString());
    for (int i = 0; i < kCategories; ++i)
        category_->addItem(ResourceUi::text(res::kStrSummaryCategoryFirst + static_cast<unsigned>(i)));
    if (summary.category >= 1 && summary.category <= kCategories)
        category_->setCurrentIndex(summary.category);
    else
        category_->setEditText(summaryField(summary.categoryText, sizeof summary.categoryText));
    category_->lineEdit()->setMaxLength(static_cast<int>(sizeof summary.categoryText) - 1);
    form->addRow(ResourceUi::dialogText(id, 1101), category_);

    const char* fields[] = {summary.text1, summary.text2, summary.text3, summary.text4};
    const size_t sizes[] = {sizeof summary.text1, sizeof summary.text2, sizeof summary.text3, sizeof summary.text4};
    for (int i = 0; i < 4; ++i) {
        lines_[i] = new QLineEdit(summaryField(fields[i], sizes[i]), this);
        lines_[i]->setObjectName(QStringLiteral("text%1").arg(i + 1));
        lines_[i]->setMaxLength(static_cast<int>(sizes[i]) - 1);
        form->addRow(ResourceUi::dialogText(id, 1102 + static_cast<unsigned>(i)), lines_[i]);
    }
    comments_ = new QPlainTextEdit(summaryField(summary.text5, sizeof summary.text5), this);
    comments_->setObjectName("text5");
    comments_->setFixedHeight(80);
    form->addRow(ResourceUi::dialogText(id, 1106), comments_);
    layout->addLayout(form);
    layout->addWidget(makeDialogButtons(this, id));
    setMinimumWidth(420);
}

SummaryInfo SummaryDialog::summary() const
{
    SummaryInfo info;
    int index = category_->findText(category_->currentText());
    if (index >= 1 && index <= kCategories) {
        info.category = index;
    } else {
        info.category = 0;
        setField(info.categoryText, category_->currentText());
    }
    setField(info.text1, lines_[0]->text());
    setField(info.text2, lines_[1]->text());
    setField(info.text3, lines_[2]->text());
    setField(info.text4, lines_[3]->text());
    setField(info.text5, comments_->toPlainText());
    return info;
}
