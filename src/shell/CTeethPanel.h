#pragma once

#include <QStringList>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <optional>

class CHeadModel;
class ProjectStore;
class QTreeWidget;
class QTreeWidgetItem;

// The list of teeth pairs found in the content's "Teeth" folder, with a first row for no teeth.
// Exactly one row is checked; checking one loads its two 64 x 16 pictures into the head model's
// texture slots 1 and 2 at once. A head that brings teeth the folder lacks can add them under a name.
class CTeethPanel : public QWidget {
    Q_OBJECT
public:
    // Asks for the name of a new pair; nothing cancels.
    using NameAsker = std::function<std::optional<QString>()>;

    CTeethPanel(const std::filesystem::path& contentRoot, QWidget* parent = nullptr);

    void setNameAsker(NameAsker asker) { askName_ = std::move(asker); }
    void setStore(const ProjectStore* store) { store_ = store; }
    // Stores the model and, when there is one, loads the current entry's pictures.
    void setModel(CHeadModel* model);

    // Lists the pairs; with `fill` the path lists are replaced. Returns the entry count (1 + pairs).
    int scan(bool fill);
    // After a head definition was applied: finds its teeth among the pairs, offers to add them when
    // they are new, checks the matching row and loads its pictures.
    void refresh();

    int entryCount() const { return static_cast<int>(upper_.size()); }
    int currentEntry() const { return current_; }
    QString currentUpperPath() const;
    QString currentLowerPath() const;
    // Checks `entry` as the user would; out of range changes nothing.
    void checkEntry(int entry);

    bool isModified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

    QTreeWidget* list() const { return list_; }

signals:
    // The user checked another pair.
    void teethChanged(const QString& upper, const QString& lower);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::filesystem::path teethFolder() const;
    bool loadPictures(int entry);
    void rebuildRows();
    void showCheck();
    void onItemChanged(QTreeWidgetItem* item, int column);

    std::filesystem::path contentRoot_;
    const ProjectStore* store_ = nullptr;
    CHeadModel* model_ = nullptr;
    NameAsker askName_;
    QTreeWidget* list_;
    QStringList upper_{QString()}, lower_{QString()};
    int current_ = 0;
    bool modified_ = false;
    bool updating_ = false;
};
