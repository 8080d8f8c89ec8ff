#pragma once

#include <QListWidget>
#include <QPointer>
#include <QWidget>

#include <filesystem>

class CTeethPanel;
class PaneHost;
class ProjectSession;
class QListWidget;
class QTabWidget;

// The "List Window" panel: a tab control (1012) with the four library lists (visemes, expressions,
// background pictures, sound clips) and the teeth panel. The project editor shows all five, the head
// definition editor only the teeth, the head animation editor only the four lists. Until the library
// list windows are hosted, each list page shows its entries by name.
class CListPanel : public QWidget {
    Q_OBJECT
public:
    enum Page { kVisemes = 0, kExpressions, kBackgrounds, kSoundClips, kTeeth, kPageCount };

    CListPanel(int editorMode, const std::filesystem::path& contentRoot, QWidget* parent = nullptr);

    bool hasPage(int page) const;
    // The host of a library list, for the window that replaces its entry list.
    PaneHost* listHost(int page) const;
    CTeethPanel* teethPanel() const { return teeth_; }
    QTabWidget* tabs() const { return tabs_; }

    void refresh(ProjectSession& session);
    bool isModified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

private:
    QTabWidget* tabs_;
    PaneHost* hosts_[kTeeth] = {};
    QPointer<QListWidget> lists_[kTeeth];
    CTeethPanel* teeth_ = nullptr;
    bool modified_ = false;
};
