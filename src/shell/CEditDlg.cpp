#include "shell/CEditDlg.h"

#include "Common/ResourceIds.h"
#include "session/ProjectSession.h"
#include "shell/CommandActions.h"
#include "shell/PaneHost.h"
#include "shell/ResourceUi.h"
#include "shell/SessionStateText.h"

#include <QHBoxLayout>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

CEditDlg::CEditDlg(int editorMode, CommandActions& actions, QWidget* parent)
    : QWidget(parent), editorMode_(editorMode)
{
    setObjectName("CEditDlg");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    auto* bars = new QHBoxLayout;
    bars->setSpacing(0);
    viewBar_ = new QToolBar(this);
    viewBar_->setObjectName("EditViewBar");
    viewBar_->setIconSize(QSize(16, 15));
    actions.buildToolBar(viewBar_, res::kToolbarEditView);
    panelBar_ = new QToolBar(this);
    panelBar_->setObjectName("EditPanelBar");
    panelBar_->setIconSize(QSize(16, 15));
    actions.buildToolBar(panelBar_, res::kToolbarEditPanel);
    bars->addWidget(viewBar_);
    bars->addWidget(panelBar_);
    bars->addStretch(1);
    layout->addLayout(bars);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("1003");
    tabs_->setDocumentMode(true);
    if (editorMode_ != 2) {
        headHost_ = new PaneHost("MorphWnd", tabs_);
        tabs_->addTab(headHost_, ResourceUi::text(res::kStrTabHead));
    }
    if (editorMode_ != 1) {
        timelineHost_ = new PaneHost("TimelinePanel", tabs_);
        tabs_->addTab(timelineHost_, ResourceUi::text(res::kStrTabTimeline));
    }
    // The head animation editor has no head to view: neither bar has a button left there.
    if (editorMode_ == 2) {
        viewBar_->hide();
        panelBar_->hide();
    }
    // Fitting the mesh to its lines belongs to the head definition editor alone.
    if (editorMode_ != 1)
        for (unsigned command : {res::kCmdFitToLines, res::kCmdNormalise, res::kCmdRestoreReference})
            actions.action(command)->setVisible(false);
    if (editorMode_ == 2)
        for (unsigned command :
             {res::kCmdShowCurrent, res::kCmdShowReference, res::kCmdShowNeutral, res::kCmdRevertDrag})
            actions.action(command)->setVisible(false);
    // The track-filling commands belong to the project editor, which has the head to animate.
    if (editorMode_ != 0)
        for (unsigned command : {res::kCmdTogglePage, res::kCmdLipSync, res::kCmdHeadTurns})
            actions.action(command)->setVisible(false);
    layout->addWidget(tabs_, 1);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        // The view's tools work on the head; over the timeline they would only be in the way.
        viewBar_->setVisible(editorMode_ != 2 && currentPage() == kHeadPage);
        emit pageChanged(currentPage());
    });
}

bool CEditDlg::hasPage(int page) const
{
    return page == kHeadPage ? headHost_ != nullptr : timelineHost_ != nullptr;
}

int CEditDlg::currentPage() const
{
    QWidget* current = tabs_->currentWidget();
    return current && current == timelineHost_ ? kTimelinePage : kHeadPage;
}

void CEditDlg::showPage(int page)
{
    PaneHost* host = page == kHeadPage ? headHost_ : timelineHost_;
    if (host)
        tabs_->setCurrentWidget(host);
}

void CEditDlg::refresh(ProjectSession& session)
{
    if (headHost_ && !headHost_->hosted()) {
        headHost_->setStateText(sessionstate::headText(session));
        headHost_->setPicture(sessionstate::faceTexture(session));
    }
    if (timelineHost_ && !timelineHost_->hosted())
        timelineHost_->setStateText(sessionstate::voiceText(session) + "\n\n" +
                                    sessionstate::trackText(session));
}
