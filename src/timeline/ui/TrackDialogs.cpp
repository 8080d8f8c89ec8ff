#include "timeline/ui/TrackDialogs.h"

#include "face/FapTables.h"
#include "lipsync/PhonemeTables.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A slider with its value beside it.
QWidget* percentSlider(QWidget* parent, int value, QSlider*& slider, int lo = 0, int hi = 100)
{
    auto* box = new QWidget(parent);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    slider = new QSlider(Qt::Horizontal, box);
    slider->setRange(lo, hi);
    slider->setValue(value);
    auto* spin = new QSpinBox(box);
    spin->setRange(lo, hi);
    spin->setValue(value);
    QObject::connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
    QObject::connect(spin, qOverload<int>(&QSpinBox::valueChanged), slider, &QSlider::setValue);
    layout->addWidget(slider, 1);
    layout->addWidget(spin);
    return box;
}

QDialogButtonBox* okCancel(QDialog& dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

bool askListAndSlider(QWidget* parent, const QString& title, const QString& listLabel, const QStringList& items,
                      const QString& sliderLabel, int& index, int& value)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* form = new QFormLayout(&dialog);
    auto* list = new QComboBox(&dialog);
    list->addItems(items);
    list->setCurrentIndex(std::clamp(index, 0, int(items.size()) - 1));
    QSlider* slider = nullptr;
    form->addRow(listLabel, list);
    form->addRow(sliderLabel, percentSlider(&dialog, std::clamp(value, 0, 100), slider));
    form->addRow(okCancel(dialog));
    if (dialog.exec() != QDialog::Accepted || list->currentIndex() < 0)
        return false;
    index = list->currentIndex();
    value = slider->value();
    return true;
}

// The square pad of the head-turn dialog: the pointer's offset from the centre, half the side
// being 60, gives the horizontal and vertical turns.
class HeadTurnPad : public QWidget {
public:
    HeadTurnPad(int horizontal, int vertical, QWidget* parent) : QWidget(parent), x_(horizontal), y_(vertical)
    {
        setFixedSize(161, 161);
    }
    int horizontal() const { return x_; }
    int vertical() const { return y_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(250, 250, 250));
        p.setPen(QColor(200, 200, 200));
        p.drawLine(width() / 2, 0, width() / 2, height());
        p.drawLine(0, height() / 2, width(), height() / 2);
        p.setPen(Qt::black);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        const QPoint at(width() / 2 + x_ * (width() / 2) / 60, height() / 2 + y_ * (height() / 2) / 60);
        p.setBrush(QColor(200, 80, 80));
        p.drawEllipse(at, 4, 4);
    }
    void mousePressEvent(QMouseEvent* event) override { take(event->position().toPoint()); }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (event->buttons() & Qt::LeftButton)
            take(event->position().toPoint());
    }

private:
    void take(QPoint p)
    {
        x_ = std::clamp((p.x() - width() / 2) * 60 / std::max(1, width() / 2), -60, 60);
        y_ = std::clamp((p.y() - height() / 2) * 60 / std::max(1, height() / 2), -60, 60);
        update();
    }
    int x_;
    int y_;
};

} // namespace

QStringList scriptCommandTypes()
{
    return {"URL", "FILENAME", "TEXT", "EVENT", "OPENEVENT"};
}

QStringList visemeDisplayNames()
{
    QStringList names;
    for (int i = 0; i < 15; ++i)
        names << QString::fromStdString(visemeName(i));
    return names;
}

QStringList expressionDisplayNames()
{
    QStringList names;
    for (int i = 0; i < 7; ++i)
        names << QString::fromStdString(expressionNameOf(i));
    return names;
}

std::string visemeShortNameOf(int viseme)
{
    return visemeShortName(viseme);
}

std::string expressionNameOf(int expression)
{
    std::string name;
    return expressionName(expression, name) ? name : std::string();
}

bool askViseme(QWidget* parent, int& viseme, int& weight)
{
    return askListAndSlider(parent, QObject::tr("Viseme"), QObject::tr("Viseme:"), visemeDisplayNames(),
                            QObject::tr("Weight:"), viseme, weight);
}

bool askExpression(QWidget* parent, int& expression, int& intensity)
{
    return askListAndSlider(parent, QObject::tr("Expression"), QObject::tr("Expression:"), expressionDisplayNames(),
                            QObject::tr("Intensity:"), expression, intensity);
}

bool askHeadTurn(QWidget* parent, int& angleA, int& angleB, int& angleC)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QObject::tr("Head Turn"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* pad = new HeadTurnPad(std::clamp(angleB, -60, 60), std::clamp(angleA, -60, 60), &dialog);
    layout->addWidget(new QLabel(QObject::tr("Turn and nod:"), &dialog));
    layout->addWidget(pad, 0, Qt::AlignHCenter);
    QSlider* tilt = nullptr;
    layout->addWidget(new QLabel(QObject::tr("Tilt:"), &dialog));
    layout->addWidget(percentSlider(&dialog, -std::clamp(angleC, -60, 60), tilt, -60, 60));
    layout->addWidget(okCancel(dialog));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    angleA = pad->vertical();
    angleB = pad->horizontal();
    angleC = -tilt->value();
    return true;
}

bool askScriptCommand(QWidget* parent, std::uint32_t& choice, std::string& type, std::string& parameter)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QObject::tr("Script Command"));
    auto* form = new QFormLayout(&dialog);
    auto* list = new QComboBox(&dialog);
    list->addItems(scriptCommandTypes());
    auto* typeText = new QLineEdit(QString::fromStdString(type), &dialog);
    typeText->setMaxLength(15);
    auto* parameterText = new QLineEdit(QString::fromStdString(parameter), &dialog);
    parameterText->setMaxLength(511);
    list->setCurrentIndex(int(std::min<std::uint32_t>(choice, 4)));
    if (typeText->text().isEmpty())
        typeText->setText(list->currentText());
    QObject::connect(list, &QComboBox::currentTextChanged, typeText, &QLineEdit::setText);
    form->addRow(QObject::tr("Command:"), list);
    form->addRow(QObject::tr("Type:"), typeText);
    form->addRow(QObject::tr("Parameter:"), parameterText);
    form->addRow(okCancel(dialog));
    if (dialog.exec() != QDialog::Accepted || typeText->text().isEmpty())
        return false;
    choice = std::uint32_t(list->currentIndex());
    type = typeText->text().toStdString();
    parameter = parameterText->text().toStdString();
    return true;
}

bool askEventName(QWidget* parent, const QString& title, std::string& name)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* form = new QFormLayout(&dialog);
    auto* text = new QLineEdit(QString::fromStdString(name), &dialog);
    text->setMaxLength(255);
    form->addRow(QObject::tr("Name:"), text);
    form->addRow(okCancel(dialog));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    name = text->text().toStdString();
    return true;
}

bool askPicture(QWidget* parent, const QStringList& pictures, int& index)
{
    if (pictures.isEmpty())
        return false;
    QDialog dialog(parent);
    dialog.setWindowTitle(QObject::tr("Background Image"));
    auto* form = new QFormLayout(&dialog);
    auto* list = new QComboBox(&dialog);
    list->addItems(pictures);
    list->setCurrentIndex(std::clamp(index, 0, int(pictures.size()) - 1));
    form->addRow(QObject::tr("Picture:"), list);
    form->addRow(okCancel(dialog));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    index = list->currentIndex();
    return index >= 0;
}

bool askSound(QWidget* parent, const QStringList& clips, int& clip, int& volume)
{
    if (clips.isEmpty())
        return false;
    return askListAndSlider(parent, QObject::tr("Sound"), QObject::tr("Clip:"), clips, QObject::tr("Volume:"), clip,
                            volume);
}
