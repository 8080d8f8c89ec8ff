#include "WidgetTestSupport.h"

#include "TestSupport.h"
#include "documents/ProjectStore.h"
#include "timeline/ui/CLibraryListWnd.h"
#include "timeline/ui/StoreLibraryActions.h"

#include <QImage>
#include <QMimeData>
#include <QPainter>

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace {

// A JPEG of the given size with a little drawing in it.
std::string writePicture(const testsupport::TempDir& dir, const std::string& name, int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(QColor(90, 140, 200));
    QPainter p(&image);
    p.fillRect(side / 4, side / 4, side / 2, side / 2, QColor(240, 200, 80));
    p.end();
    const std::string path = (dir / name).string();
    EXPECT_TRUE(image.save(QString::fromStdString(path), "JPG"));
    return path;
}

// The project's collections with the name question answered from a script.
struct Library {
    ProjectStore store;
    TimelineData timeline;
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> asked;
    StoreLibraryActions actions{store, timeline, [this](const std::string& taken) {
                                    asked.push_back(taken);
                                    std::optional<std::string> answer;
                                    if (!answers.empty()) {
                                        answer = answers.front();
                                        answers.pop_front();
                                    }
                                    return answer;
                                }};
    std::vector<CoreStatus> reported;
    CLibraryListWnd pictures{LibraryKind::backgrounds, &actions};

    Library()
    {
        timeline.setSampleCount(160000);
        pictures.setFailureReporter([this](const CoreStatus& status) { reported.push_back(status); });
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> list;
        for (int i = 0; i < actions.count(LibraryKind::backgrounds); ++i)
            list.push_back(actions.name(LibraryKind::backgrounds, i));
        return list;
    }
    void imageEvent(std::int32_t t, const std::string& name)
    {
        timeline.setSelection(t, t);
        EventItem* event = timeline.insertPointEvent(kImageEvent);
        ASSERT_NE(event, nullptr);
        std::snprintf(event->name, sizeof event->name, "%s", name.c_str());
    }
};

} // namespace

TEST(LibraryLists, PicturesAreCheckedNamedAndCounted)
{
    testsupport::TempDir dir;
    Library lib;
    const std::string sky = writePicture(dir, "sky.jpg", 256);
    const std::string big = writePicture(dir, "big.jpg", 512);
    testsupport::writeTextFile(dir / "broken.jpg", "not a picture");

    // A duplicate name is asked again, and an answer that is taken too is asked once more.
    EXPECT_EQ(lib.pictures.addFiles({QString::fromStdString(sky)}), 1);
    lib.answers = {std::string("SKY"), std::string("sky 2")};
    EXPECT_EQ(lib.pictures.addFiles({QString::fromStdString(sky)}), 1);
    EXPECT_EQ(lib.asked, (std::vector<std::string>{"sky", "SKY"}));
    EXPECT_EQ(lib.names(), (std::vector<std::string>{"sky", "sky 2"}));
    // Cancelling the question skips the file without a message.
    EXPECT_EQ(lib.pictures.addFiles({QString::fromStdString(sky)}), 0);
    EXPECT_TRUE(lib.reported.empty());

    // Wrong size and unreadable files are refused with their messages; the next file still goes in.
    lib.answers = {std::string("third")};
    EXPECT_EQ(lib.pictures.addFiles({QString::fromStdString(big), QString::fromStdString((dir / "broken.jpg").string()),
                                     QString::fromStdString(sky)}),
              1);
    ASSERT_EQ(lib.reported.size(), 2u);
    EXPECT_EQ(lib.reported[0].messageId, kLibraryImageSize);
    EXPECT_EQ(lib.pictures.failureText(lib.reported[0]).toStdString(), "The picture must be exactly 256 x 256 pixels.");
    EXPECT_EQ(lib.reported[1].messageId, kLibraryImageUnreadable);
    EXPECT_EQ(lib.names().size(), 3u);

    // Up to 100 and not one more: the 101st file is refused with the warning, once.
    lib.reported.clear();
    QStringList many;
    for (int i = 0; i < 99; ++i) {
        lib.answers.push_back(std::to_string(i).insert(0, 1, 'p'));
        many << QString::fromStdString(sky);
    }
    EXPECT_EQ(lib.pictures.addFiles(many), 97);
    EXPECT_EQ(lib.actions.count(LibraryKind::backgrounds), 100);
    ASSERT_EQ(lib.reported.size(), 1u);
    EXPECT_EQ(lib.reported[0].messageId, kLibraryListFull);
    EXPECT_EQ(lib.pictures.failureText(lib.reported[0]).toStdString(), "The list cannot hold more than 100 entries.");
    // The list shows the 100 pictures and the entry for none, which is checked.
    ASSERT_EQ(lib.pictures.list()->count(), 101);
    EXPECT_EQ(lib.pictures.list()->item(100)->checkState(), Qt::Checked);
    EXPECT_EQ(lib.pictures.list()->entryMimeData(100), nullptr);

    // Exactly one box is checked.
    ASSERT_TRUE(lib.pictures.checkEntry(1));
    EXPECT_EQ(lib.store.selectedBackground(), 1);
    int checked = 0;
    for (int i = 0; i < lib.pictures.list()->count(); ++i)
        checked += lib.pictures.list()->item(i)->checkState() == Qt::Checked;
    EXPECT_EQ(checked, 1);
    ASSERT_TRUE(lib.pictures.checkEntry(100));
    EXPECT_EQ(lib.store.selectedBackground(), -1);
}

TEST(LibraryLists, RenamingAndRemovingAPictureCarriesOverToItsEvents)
{
    testsupport::TempDir dir;
    Library lib;
    const std::string sky = writePicture(dir, "sky.jpg", 256);
    lib.answers = {std::string("sea")};
    ASSERT_EQ(lib.pictures.addFiles({QString::fromStdString(sky), QString::fromStdString(sky)}), 2);
    lib.imageEvent(1000, "sky");
    lib.imageEvent(2000, "sea");
    lib.imageEvent(3000, "sky");
    lib.timeline.setSelection(4000, 4000);
    lib.timeline.insertPointEvent(kMarkerEvent);

    struct Rename {
        int index;
        const char* name;
        bool ok;
        std::vector<std::string> after;
    } renames[] = {
        {0, "cloud", true, {"cloud", "sea"}},
        {0, "", true, {"cloud", "sea"}},      // an empty name leaves things as they were
        {0, "SEA", false, {"cloud", "sea"}},  // taken by the other picture
        {1, "sea", true, {"cloud", "sea"}},   // its own name
    };
    for (const Rename& r : renames) {
        lib.reported.clear();
        EXPECT_EQ(lib.pictures.renameEntry(r.index, r.name), r.ok) << r.name;
        EXPECT_EQ(lib.names(), r.after) << r.name;
        ASSERT_EQ(lib.reported.size(), r.ok ? 0u : 1u) << r.name;
        if (!r.ok) {
            EXPECT_EQ(lib.reported[0].messageId, kLibraryNameTaken);
        }
    }
    EXPECT_STREQ(lib.timeline.events().item(0)->name, "cloud");
    EXPECT_STREQ(lib.timeline.events().item(1)->name, "sea");
    EXPECT_STREQ(lib.timeline.events().item(2)->name, "cloud");

    lib.pictures.list()->setCurrentRow(0);
    ASSERT_TRUE(lib.pictures.removeSelected());
    EXPECT_EQ(lib.names(), (std::vector<std::string>{"sea"}));
    ASSERT_EQ(lib.timeline.events().count(), 2);
    EXPECT_STREQ(lib.timeline.events().item(0)->name, "sea");
    EXPECT_EQ(lib.timeline.eventCount(kImageEvent), 1);
    EXPECT_EQ(lib.timeline.eventCount(kMarkerEvent), 1);

    // Through the track window the carry-over is one undo step with the removal's track change.
    CTrackRegionWnd window(lib.timeline);
    lib.actions.setTrackEditor(&window.editor());
    lib.pictures.list()->setCurrentRow(0);
    ASSERT_TRUE(lib.pictures.removeSelected());
    EXPECT_EQ(lib.timeline.eventCount(kImageEvent), 0);
    EXPECT_EQ(window.undoStack().undoName(), "Remove background image");
    window.undo();
    EXPECT_EQ(lib.timeline.eventCount(kImageEvent), 1);
}

TEST(LibraryLists, MovingKeepsTheSelectionAndClipsShowTheirLength)
{
    testsupport::TempDir dir;
    Library lib;
    const std::string sky = writePicture(dir, "sky.jpg", 256);
    lib.answers = {std::string("b"), std::string("c")};
    ASSERT_EQ(lib.pictures.addFiles({QString::fromStdString(sky), QString::fromStdString(sky),
                                     QString::fromStdString(sky)}),
              3);
    lib.pictures.list()->setCurrentRow(0);
    EXPECT_FALSE(lib.pictures.moveSelected(-1));
    EXPECT_TRUE(lib.pictures.moveSelected(1));
    EXPECT_EQ(lib.names(), (std::vector<std::string>{"b", "sky", "c"}));
    EXPECT_EQ(lib.pictures.list()->currentRow(), 1);
    lib.pictures.list()->setCurrentRow(2);
    EXPECT_FALSE(lib.pictures.moveSelected(1));

    CLibraryListWnd clips(LibraryKind::soundClips, &lib.actions);
    clips.setFailureReporter([&](const CoreStatus& status) { lib.reported.push_back(status); });
    const std::filesystem::path voice = testsupport::binDir() / "Voices" / "Male.wav";
    ASSERT_TRUE(std::filesystem::exists(voice)) << voice;
    ASSERT_EQ(clips.addFiles({QString::fromStdString(voice.string())}), 1);
    EXPECT_EQ(lib.actions.name(LibraryKind::soundClips, 0), "Male");
    EXPECT_GT(lib.actions.clipLength(0), 16000);
    EXPECT_FALSE(clips.list()->item(0)->data(Qt::UserRole + 1).toString().isEmpty());
    // A drag from a list carries the list and the entry.
    std::unique_ptr<QMimeData> mime(clips.list()->entryMimeData(0));
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->data(kLibraryMimeType), "3 0");
}
