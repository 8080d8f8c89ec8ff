#pragma once

#include "timeline/ui/LibraryActions.h"

#include <QHash>
#include <QIcon>
#include <QListWidget>
#include <QStringList>
#include <QWidget>

#include <functional>

class QMimeData;
class QToolButton;
class ResourceLibrary;

// The list view inside a library window; it starts the drags onto the track area.
class LibraryListView : public QListWidget {
    Q_OBJECT
public:
    LibraryListView(LibraryKind kind, QWidget* parent);
    // What a drag of entry `index` carries; null for the "no picture" entry.
    QMimeData* entryMimeData(int index) const;
    QPixmap dragPixmap(int index) const;

protected:
    void startDrag(Qt::DropActions actions) override;

private:
    LibraryKind kind_;
};

// One of the four lists the track items come from: visemes and expressions as fixed catalogues,
// the project's background pictures and sound clips as collections with add, remove, rename (in
// place), move up and down, and for pictures the check box of the preview's background.
class CLibraryListWnd : public QWidget {
    Q_OBJECT
public:
    // `actions` is needed for the two collections and may be null for the catalogues.
    CLibraryListWnd(LibraryKind kind, LibraryActions* actions, QWidget* parent = nullptr);

    LibraryKind kind() const { return kind_; }
    LibraryListView* list() const { return list_; }
    void setResources(const ResourceLibrary* resources) { resources_ = resources; }
    // Replaces the open dialog (tests script it).
    void setFileChooser(std::function<QStringList()> chooser) { chooseFiles_ = std::move(chooser); }
    // Replaces the message box for failures.
    void setFailureReporter(std::function<void(const CoreStatus&)> report) { report_ = std::move(report); }

    // Refills the list from the collection.
    void rebuild();
    // Adds each file in turn while there is room; a full list is reported once and ends the add.
    // Returns how many were added.
    int addFiles(const QStringList& files);
    bool removeSelected();
    bool moveSelected(int delta);
    bool renameEntry(int index, const QString& name);
    // Checks the entry (the last one stands for no picture) and clears the others.
    bool checkEntry(int index);

    // The text of a failure as the user is told it.
    QString failureText(const CoreStatus& status) const;

signals:
    void modified();
    void backgroundChosen(int index);

private:
    void add();
    void report(const CoreStatus& status);
    void entryEdited(QListWidgetItem* item);
    void updateButtons();
    QIcon pictureIcon(const std::string& path);

    LibraryKind kind_;
    LibraryActions* actions_;
    const ResourceLibrary* resources_ = nullptr;
    LibraryListView* list_;
    QToolButton* addButton_ = nullptr;
    QToolButton* removeButton_ = nullptr;
    QToolButton* upButton_ = nullptr;
    QToolButton* downButton_ = nullptr;
    std::function<QStringList()> chooseFiles_;
    std::function<void(const CoreStatus&)> report_;
    bool rebuilding_ = false;
    QHash<QString, QIcon> thumbnails_;
};
