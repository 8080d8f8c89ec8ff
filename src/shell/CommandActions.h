#pragma once

#include <QHash>
#include <QObject>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

// One QAction per command number, with its text, prompt, tooltip, icon and key taken from the
// resource library, and the builders of menus and toolbars from the library's records. Every action
// reports through `command`, so the frame routes all of them in one place.
class CommandActions : public QObject {
    Q_OBJECT
public:
    // `iconStrips` are the toolbars whose pictures the menus show (the mode's toolbar first); `hotBitmap`
    // is the mode toolbar's hot-image bitmap.
    CommandActions(QWidget* owner, unsigned modeToolbar, unsigned hotBitmap);

    // The action of `command`, made on first use.
    QAction* action(unsigned command);
    bool has(unsigned command) const { return actions_.contains(command); }
    QList<unsigned> commands() const { return actions_.keys(); }

    // Fills `bar` from menu resource `menuId`; the recent-file entry becomes four actions.
    void buildMenuBar(QMenuBar* bar, unsigned menuId);
    // Fills `bar` with the buttons of toolbar resource `toolbarId`.
    void buildToolBar(QToolBar* bar, unsigned toolbarId);
    // Applies accelerator table `id` as the actions' shortcuts.
    void applyAccelerators(unsigned id);

    // The menus built, so that the frame can refresh its entries before one opens.
    const QList<QMenu*>& menus() const { return menus_; }

signals:
    void command(unsigned id);
    void menuAboutToShow();

private:
    void addStripIcons(unsigned toolbarId, unsigned bitmapId, unsigned hotBitmapId);

    QWidget* owner_;
    QHash<unsigned, QAction*> actions_;
    QHash<unsigned, QIcon> icons_;
    QList<QMenu*> menus_;
};
