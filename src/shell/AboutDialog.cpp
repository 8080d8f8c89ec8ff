#include "shell/AboutDialog.h"

#include "Common/ResourceIds.h"
#include "shell/DialogButtons.h"
#include "shell/ResourceUi.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace {

QByteArray about(unsigned offset) { return ResourceUi::text(res::kStrAboutFirst + offset).toUtf8(); }

} // namespace

QString AboutDialog::mainText()
{
    // Product (version), description, then the acknowledgements.
    return QString::asprintf("%s (%s)\n%s\n\n%s\n%s\n%s\n%s\n\n%s", about(0).constData(), about(1).constData(),
                             about(2).constData(), about(4).constData(), about(5).constData(),
                             about(6).constData(), about(7).constData(), about(8).constData());
}

QString AboutDialog::rightsText()
{
    return QString::asprintf("%s\n%s\n%s", about(3).constData(), ResourceUi::text(res::kStrAboutMaker).toUtf8().constData(),
                             ResourceUi::text(res::kStrAboutRights).toUtf8().constData());
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("AboutDialog");
    setWindowTitle(ResourceUi::dialogText(res::kDialogAbout, 0));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* picture = new QLabel(this);
    picture->setPixmap(ResourceUi::bitmap(res::kBitmapAppIcon));
    picture->setAlignment(Qt::AlignTop);
    row->addWidget(picture);
    row->addSpacing(12);
    auto* texts = new QVBoxLayout;
    auto* main = new QLabel(mainText(), this);
    main->setObjectName("mainText");
    main->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* rights = new QLabel(rightsText(), this);
    rights->setObjectName("rightsText");
    QString address = ResourceUi::text(res::kStrAboutFirst + 9);
    auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped()), this);
    link->setObjectName("webAddress");
    link->setOpenExternalLinks(true);
    texts->addWidget(main);
    texts->addWidget(link);
    texts->addSpacing(10);
    texts->addWidget(rights);
    row->addLayout(texts, 1);
    layout->addLayout(row);
    layout->addWidget(makeDialogButtons(this, res::kDialogAbout, false));
}
