#include "ShellTestSupport.h"
#include "documents/ProjectStore.h"
#include "face/CHeadModel.h"
#include "shell/CTeethPanel.h"

#include <QKeyEvent>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

// A content root whose "Teeth" holds the pair white and a lone gold.top.
struct TeethFolder {
    TempDir root;
    TeethFolder()
    {
        fs::create_directory(root / "Teeth");
        fs::path shipped = testsupport::binDir() / "Teeth";
        fs::copy_file(shipped / "White.top", root.path() / "Teeth" / "white.top");
        fs::copy_file(shipped / "White.btm", root.path() / "Teeth" / "white.btm");
        fs::copy_file(shipped / "Ivory.top", root.path() / "Teeth" / "gold.top");
    }
};

QStringList rowTexts(const CTeethPanel& panel)
{
    QStringList texts;
    for (int i = 0; i < panel.list()->topLevelItemCount(); ++i)
        texts << panel.list()->topLevelItem(i)->text(0);
    return texts;
}

int checkedRow(const CTeethPanel& panel)
{
    int found = -1;
    for (int i = 0; i < panel.list()->topLevelItemCount(); ++i)
        if (panel.list()->topLevelItem(i)->checkState(0) == Qt::Checked) {
            EXPECT_EQ(found, -1) << "more than one row is checked";
            found = i;
        }
    return found;
}

bool slotIsZero(const CHeadModel& model, int slot)
{
    const std::uint32_t* pixels = model.slotPixels(slot);
    return std::all_of(pixels, pixels + 64 * 16, [](std::uint32_t p) { return p == 0; });
}

} // namespace

TEST(TeethPanel, PairsNeedBothPicturesAndAHeadsOwnTeethAreFound)
{
    TeethFolder folder;
    CTeethPanel panel(folder.root.path());
    EXPECT_EQ(rowTexts(panel), (QStringList{"<None>", "white"}));
    EXPECT_EQ(checkedRow(panel), 0);

    // A head whose teeth are byte for byte the pair white checks that row, without a question.
    ProjectStore store;
    store.setAsset((folder.root / "Teeth" / "white.top").string(), AssetKind::teethTop, false);
    store.setAsset((folder.root / "Teeth" / "white.btm").string(), AssetKind::teethBottom, false);
    panel.setStore(&store);
    int asked = 0;
    panel.setNameAsker([&] { ++asked; return std::optional<QString>(); });
    panel.refresh();
    EXPECT_EQ(panel.currentEntry(), 1);
    EXPECT_EQ(checkedRow(panel), 1);
    EXPECT_EQ(asked, 0);

    // No "Teeth" folder: only the no-teeth row.
    TempDir empty;
    CTeethPanel bare(empty.path());
    EXPECT_EQ(rowTexts(bare), QStringList{"<None>"});
}

TEST(TeethPanel, CheckingMovesWithClicksAndArrowsAndFillsTheSlots)
{
    TeethFolder folder;
    CTeethPanel panel(folder.root.path());
    CHeadModel model(3, 1);
    panel.setModel(&model);
    panel.show();
    int changes = 0;
    QObject::connect(&panel, &CTeethPanel::teethChanged, [&] { ++changes; });

    struct Step {
        const char* action;
        int expectedRow;
        bool modified;
    };
    const Step steps[] = {
        {"down", 1, true},  {"down", 1, true}, // the last row keeps its check
        {"uncheck", 1, true},                  // a row is left only by checking another
        {"up", 0, true},    {"up", 0, true},
        {"check1", 1, true},
    };
    for (const Step& step : steps) {
        std::string action = step.action;
        if (action == "down" || action == "up") {
            QTest::keyClick(panel.list(), action == "down" ? Qt::Key_Down : Qt::Key_Up);
        } else if (action == "uncheck") {
            panel.list()->topLevelItem(panel.currentEntry())->setCheckState(0, Qt::Unchecked);
        } else {
            panel.list()->topLevelItem(1)->setCheckState(0, Qt::Checked);
        }
        SCOPED_TRACE(step.action);
        EXPECT_EQ(panel.currentEntry(), step.expectedRow);
        EXPECT_EQ(checkedRow(panel), step.expectedRow);
        EXPECT_EQ(panel.isModified(), step.modified);
    }
    EXPECT_EQ(changes, 3);
    EXPECT_FALSE(slotIsZero(model, 1));
    EXPECT_FALSE(slotIsZero(model, 2));
    // The no-teeth row writes 4,096 zero bytes into both slots, and its paths are empty.
    panel.checkEntry(0);
    EXPECT_TRUE(slotIsZero(model, 1));
    EXPECT_TRUE(slotIsZero(model, 2));
    EXPECT_TRUE(panel.currentUpperPath().isEmpty());
    EXPECT_TRUE(panel.currentLowerPath().isEmpty());
}

TEST(TeethPanel, NewTeethOfAHeadAreAddedUnderASafeName)
{
    struct Case {
        QString answer; // null: cancel
        bool added;
    };
    const Case cases[] = {{QString(), false}, {"", false}, {"../escape", false}, {"pearl", true}};
    for (const Case& c : cases) {
        TeethFolder folder;
        fs::path shipped = testsupport::binDir() / "Teeth";
        ProjectStore store;
        store.setAsset((shipped / "Gap.top").string(), AssetKind::teethTop, false);
        store.setAsset((shipped / "Gap.btm").string(), AssetKind::teethBottom, false);
        CTeethPanel panel(folder.root.path());
        panel.setStore(&store);
        panel.setNameAsker([&]() -> std::optional<QString> {
            if (c.answer.isNull())
                return std::nullopt;
            return c.answer;
        });
        panel.refresh();
        SCOPED_TRACE(c.answer.toStdString());
        EXPECT_EQ(fs::exists(folder.root / "Teeth" / "pearl.top"), c.added);
        EXPECT_FALSE(fs::exists(folder.root / "escape.top"));
        EXPECT_EQ(panel.entryCount(), c.added ? 3 : 2);
        EXPECT_EQ(panel.currentEntry(), c.added ? 1 : 0); // "pearl" sorts before "white"
    }
}
