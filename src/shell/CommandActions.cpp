#include "shell/CommandActions.h"

#include "Common/ResourceIds.h"
#include "shell/ResourceUi.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

CommandActions::CommandActions(QWidget* owner, unsigned modeToolbar, unsigned hotBitmap) : QObject(owner), owner_(owner)
{
    addStripIcons(modeToolbar, modeToolbar, hotBitmap);
    addStripIcons(res::kToolbarMenuIcons, res::kToolbarMenuIcons, 0);
    addStripIcons(res::kToolbarEditView, res::kBitmapEditView, 0);
    addStripIcons(res::kToolbarEditPanel, res::kBitmapEditPanel, 0);
}

void CommandActions::addStripIcons(unsigned toolbarId, unsigned bitmapId, unsigned hotBitmapId)
{
    std::span<const unsigned> buttons = ResourceUi::library().toolbar(toolbarId);
    std::vector<QPixmap> images = ResourceUi::stripImages(bitmapId);
    std::vector<QPixmap> hot = hotBitmapId ? ResourceUi::stripImages(hotBitmapId) : std::vector<QPixmap>();
    size_t image = 0;
    for (unsigned command : buttons) {
        if (!command)
            continue;
        if (image < images.size() && !icons_.contains(command)) {
            QIcon icon(images[image]);
            if (image < hot.size())
                icon.addPixmap(hot[image], QIcon::Active);
            icons_.insert(command, icon);
        }
        ++image;
    }
}

QAction* CommandActions::action(unsigned command)
{
    if (QAction* existing = actions_.value(command))
        return existing;
    auto* act = new QAction(owner_);
    act->setObjectName(QStringLiteral("command%1").arg(command));
    act->setStatusTip(ResourceUi::prompt(command));
    act->setToolTip(ResourceUi::tooltip(command));
    act->setText(ResourceUi::tooltip(command));
    if (icons_.contains(command))
        act->setIcon(icons_.value(command));
    act->setShortcutContext(Qt::WindowShortcut);
    connect(act, &QAction::triggered, this, [this, command] { emit this->command(command); });
    owner_->addAction(act);
    actions_.insert(command, act);
    return act;
}

void CommandActions::buildMenuBar(QMenuBar* bar, unsigned menuId)
{
    // An entry of depth d + 1 belongs to the last popup of depth d.
    std::vector<QMenu*> open;
    for (const CmrtMenuItem& item : ResourceUi::library().menu(menuId)) {
        if (item.depth > open.size())
            continue; // an entry without its popup: the record is damaged, leave it out
        open.resize(item.depth);
        QMenu* parent = item.depth ? open.back() : nullptr;
        QString text = item.text ? QString::fromUtf8(item.text).section('\t', 0, 0) : QString();
        if (item.flags & kCmrtMenuPopup) {
            QMenu* menu = parent ? parent->addMenu(text) : bar->addMenu(text);
            connect(menu, &QMenu::aboutToShow, this, &CommandActions::menuAboutToShow);
            menus_.append(menu);
            open.push_back(menu);
        } else if (!parent) {
            continue;
        } else if (item.flags & kCmrtMenuSeparator) {
            parent->addSeparator();
        } else if (item.flags & kCmrtMenuRecentFiles) {
            for (unsigned i = 0; i < res::kRecentFileCount; ++i)
                parent->addAction(action(item.command + i));
        } else {
            QAction* act = action(item.command);
            act->setText(text);
            parent->addAction(act);
        }
    }
}

void CommandActions::buildToolBar(QToolBar* bar, unsigned toolbarId)
{
    for (unsigned command : ResourceUi::library().toolbar(toolbarId)) {
        if (command)
            bar->addAction(action(command));
        else
            bar->addSeparator();
    }
}

void CommandActions::applyAccelerators(unsigned id)
{
    for (const CmrtAccelerator& accelerator : ResourceUi::library().accelerators(id))
        if (accelerator.key)
            action(accelerator.command)->setShortcut(QKeySequence(QString::fromLatin1(accelerator.key)));
}
