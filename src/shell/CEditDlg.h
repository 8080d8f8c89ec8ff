#pragma once

#include <QWidget>

class CommandActions;
class PaneHost;
class ProjectSession;
class QTabWidget;
class QToolBar;

// The edit panel, the frame's central area: the edit view's and the panel's tool bars, and the tab
// control (1003) with the 3D editing view (page 0) and the timeline panel (page 1). The project
// editor shows both pages, the head definition editor only the first, the head animation editor only
// the second.
class CEditDlg : public QWidget {
    Q_OBJECT
public:
    enum Page { kHeadPage = 0, kTimelinePage = 1 };

    CEditDlg(int editorMode, CommandActions& actions, QWidget* parent = nullptr);

    bool hasPage(int page) const;
    int currentPage() const;
    // Brings `page` to the front when this editor shows it.
    void showPage(int page);

    // Where the 3D editing view ("MorphWnd") and the track window go when they are built.
    PaneHost* headHost() const { return headHost_; }
    PaneHost* timelineHost() const { return timelineHost_; }

    // Shows the session's state on the pages that have no window of their own yet.
    void refresh(ProjectSession& session);
    // The panel's own changes; part of the save-changes question.
    bool isModified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

signals:
    void pageChanged(int page);

private:
    int editorMode_;
    QTabWidget* tabs_;
    QToolBar* viewBar_;
    QToolBar* panelBar_;
    PaneHost* headHost_ = nullptr;
    PaneHost* timelineHost_ = nullptr;
    bool modified_ = false;
};
