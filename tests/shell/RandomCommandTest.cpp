// Thousands of menu commands chosen at random among the enabled ones, every question answered at
// random, every file dialog cancelled or given a prepared file: nothing may crash, and every file the
// run saved must read back as a document.
#include "Common/ResourceIds.h"
#include "ShellTestSupport.h"
#include "session/ProjectSession.h"
#include "shell/CommandActions.h"

#include <QApplication>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace fs = std::filesystem;
using namespace res;
using testsupport::TempDir;

namespace {

// Answers everything by the throw of a seeded die.
class RandomDialogs : public ShellDialogs {
public:
    RandomDialogs(unsigned seed, QStringList openable, QStringList savable)
        : random_(seed), open_(std::move(openable)), save_(std::move(savable))
    {
    }
    bool confirm(unsigned) override { return coin(); }
    Answer askSaveChanges() override { return static_cast<Answer>(pick(3)); }
    std::optional<std::string> askNewName(const std::string& taken) override
    {
        if (coin())
            return std::nullopt;
        return taken + std::to_string(pick(1000));
    }
    std::optional<QString> openFile(unsigned, unsigned) override { return choose(open_); }
    // A save goes to a file of the kind asked for (a user who names a voice "x.cmp" is no fault of
    // ours); an open may be given any file, to try every reader with the wrong kind too.
    std::optional<QString> saveFile(unsigned, unsigned, const QString& extension) override
    {
        return choose(save_.filter(QRegularExpression("\\." + extension + "$")));
    }
    void showMessage(const QString&, Icon) override { ++messages; }
    bool askNewHead(bool& female) override
    {
        female = coin();
        return pick(4) != 0;
    }
    bool askTellCompanion() override { return coin(); }
    bool editOptions(FrameOptions& options, bool) override
    {
        options.useMinuteUnit = coin();
        options.keepDockWindowSize = coin();
        options.toolBarFloating = pick(4) == 0;
        return coin();
    }
    bool editSummary(SummaryInfo& summary) override
    {
        summary.category = static_cast<int>(pick(7));
        return coin();
    }
    void showAbout() override {}
    std::optional<QString> askName(unsigned, unsigned) override
    {
        if (coin())
            return std::nullopt;
        return QStringLiteral("teeth%1").arg(pick(5));
    }
    void openUrl(const QUrl&) override {}
    bool askSpokenText(QString& text, bool&, const QString&) override
    {
        if (coin())
            text = pick(2) ? QStringLiteral("Hello, this is the default voice.") : QString();
        return pick(3) != 0;
    }

    int messages = 0;

private:
    bool coin() { return pick(2) == 1; }
    unsigned pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(random_); }
    std::optional<QString> choose(const QStringList& files)
    {
        unsigned n = pick(static_cast<unsigned>(files.size()) + 1);
        if (n == 0)
            return std::nullopt; // cancelled
        return files[static_cast<int>(n - 1)];
    }

    std::mt19937 random_;
    QStringList open_, save_;
};

QString copied(const char* content, const fs::path& to)
{
    fs::copy_file(testsupport::binDir() / content, to, fs::copy_options::overwrite_existing);
    return QString::fromStdString(to.string());
}

} // namespace

TEST(RandomCommands, NoCrashAndNoDamagedDocument)
{
    shelltest::clearSettings();
    const char* countText = std::getenv("CM_RANDOM_COMMANDS");
    const int count = countText ? std::atoi(countText) : 2000;
    TempDir dir;
    QStringList openable = {copied("Default/Male.cmx", dir / "in.cmp"), copied("Default/Female.hdx", dir / "in.hdp"),
                            copied("Default/Male.hax", dir / "in.hap"), copied("Faces/Female.jpg", dir / "face.jpg"),
                            copied("Voices/Female.wav", dir / "voice.wav")};
    QStringList savable;
    for (const char* name : {"out.cmp", "out.hdp", "out.hap", "out.wav", "out.cmt", "out.jpg"})
        savable << QString::fromStdString((dir / name).string());

    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        FrameStart start;
        start.editorMode = mode;
        start.contentRoot = testsupport::binDir();
        start.title = QStringLiteral("Chattermask Studio (Random %1)").arg(mode);
        auto owned = std::make_unique<RandomDialogs>(1234u + static_cast<unsigned>(mode), openable, savable);
        RandomDialogs& dialogs = *owned;
        auto frame = std::make_unique<CChattermaskEditorMainFrame>(start, std::move(owned));
        ASSERT_TRUE(frame->loadFirstDocument());
        frame->show();
        std::mt19937 random(99u + static_cast<unsigned>(mode));
        int ran = 0;
        for (int i = 0; i < count / 3; ++i) {
            frame->updateCommandUi();
            std::vector<unsigned> enabled;
            for (unsigned id : frame->actions().commands())
                if (frame->isCommandEnabled(id) && frame->actions().action(id)->isVisible())
                    enabled.push_back(id);
            ASSERT_FALSE(enabled.empty());
            unsigned id = enabled[std::uniform_int_distribution<size_t>(0, enabled.size() - 1)(random)];
            frame->runCommand(id);
            if (!frame->isVisible())
                frame->show(); // Exit closed it: the run goes on in a window shown again
            QApplication::processEvents();
            ++ran;
        }
        EXPECT_EQ(ran, count / 3);
        frame->session().setModified(false);
        frame->clearPanelsModified();
        frame.reset();
        (void)dialogs;

        // Whatever the run saved reads back as a document of its kind.
        const char* const kOwn[] = {"out.cmp", "out.hdp", "out.hap"};
        fs::path saved = dir / kOwn[mode];
        if (fs::exists(saved)) {
            DefaultPrompts quiet;
            ProjectSession check(mode == 0 ? EditorMode::project : mode == 1 ? EditorMode::headDefinition
                                                                             : EditorMode::headAnimation,
                                 quiet, testsupport::binDir());
            CoreStatus status;
            EXPECT_TRUE(check.openDocument(saved, false, status)) << saved << " " << status.messageId;
        }
    }
    shelltest::clearSettings();
}
