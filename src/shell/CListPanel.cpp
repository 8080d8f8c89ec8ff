#include "shell/CListPanel.h"

#include "Common/ResourceIds.h"
#include "session/ProjectSession.h"
#include "shell/CTeethPanel.h"
#include "shell/PaneHost.h"
#include "shell/ResourceUi.h"

#include <QListWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kVisemeCount = 15, kExpressionCount = 7;

QStringList names(const AssetList& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << QString::fromStdString(list.name(i));
    return out;
}

} // namespace

CListPanel::CListPanel(int editorMode, const std::filesystem::path& contentRoot, QWidget* parent) : QWidget(parent)
{
    setObjectName("CListPanel");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("1012");
    // Four or five tab texts do not fit across a 250-pixel pane; down its side they are read whole.
    tabs_->setTabPosition(editorMode != 1 ? QTabWidget::West : QTabWidget::North);
    if (editorMode != 1) {
        for (int page = 0; page < kTeeth; ++page) {
            hosts_[page] = new PaneHost(QStringLiteral("LibraryList%1").arg(page), tabs_);
            lists_[page] = new QListWidget(hosts_[page]);
            lists_[page]->setObjectName(QStringLiteral("entries%1").arg(page));
            hosts_[page]->host(lists_[page]);
            tabs_->addTab(hosts_[page], ResourceUi::text(res::kStrListVisemes + static_cast<unsigned>(page)));
        }
        for (int v = 0; v < kVisemeCount; ++v)
            lists_[kVisemes]->addItem(ResourceUi::text(res::kStrVisemeFirst + static_cast<unsigned>(v)));
        for (int e = 0; e < kExpressionCount; ++e)
            lists_[kExpressions]->addItem(ResourceUi::text(res::kStrExpressionFirst + static_cast<unsigned>(e)));
    }
    if (editorMode != 2) {
        teeth_ = new CTeethPanel(contentRoot, tabs_);
        tabs_->addTab(teeth_, ResourceUi::text(res::kStrListTeeth));
    }
    layout->addWidget(tabs_);
}

bool CListPanel::hasPage(int page) const
{
    if (page == kTeeth)
        return teeth_ != nullptr;
    return page >= 0 && page < kTeeth && hosts_[page] != nullptr;
}

PaneHost* CListPanel::listHost(int page) const { return page >= 0 && page < kTeeth ? hosts_[page] : nullptr; }

void CListPanel::refresh(ProjectSession& session)
{
    const std::pair<int, const AssetList*> kLists[] = {{kBackgrounds, &session.store().backgrounds()},
                                                       {kSoundClips, &session.store().soundClips()}};
    for (const auto& [page, list] : kLists) {
        if (!lists_[page] || hosts_[page]->hosted() != lists_[page])
            continue; // a real library window is hosted and keeps itself up to date
        lists_[page]->clear();
        QStringList entries = names(*list);
        if (entries.isEmpty()) {
            auto* empty = new QListWidgetItem(ResourceUi::text(res::kStrListEmpty), lists_[page]);
            empty->setFlags(Qt::NoItemFlags);
        } else {
            lists_[page]->addItems(entries);
        }
    }
}
