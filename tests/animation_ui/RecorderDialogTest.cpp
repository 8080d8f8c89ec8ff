#include "animation/ui/CRecorderDialog.h"

#include <QApplication>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

struct ScriptedDevice final : RecorderDevice {
    std::uint32_t* length;
    explicit ScriptedDevice(std::uint32_t* lengthMs) : length(lengthMs) {}
    bool openNew(const WavFormat&) override { return true; }
    bool record() override { return true; }
    bool play(std::uint32_t) override { return true; }
    bool stop() override { return true; }
    void close() override {}
    std::uint32_t lengthMs() override { return *length; }
    std::uint32_t positionMs() override { return 0; }
    bool save(const std::filesystem::path&) override { return true; }
};

QPushButton* button(QDialog& dialog, const QString& text)
{
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace

TEST(CRecorderDialog, AZeroLengthTakeLeavesPlayAndSaveDisabled)
{
    if (!QApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "animation_ui_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    struct Case {
        std::uint32_t lengthMs;
        bool enabled;
    };
    for (const Case& c : {Case{0, false}, Case{1200, true}}) {
        std::uint32_t length = 0;
        CRecorderDialog dialog(nullptr, std::make_unique<ScriptedDevice>(&length));
        QPushButton* record = button(dialog, "Record");
        ASSERT_TRUE(record);
        EXPECT_FALSE(button(dialog, "Play")->isEnabled());
        record->click();
        EXPECT_TRUE(button(dialog, "Stop")->isEnabled());
        EXPECT_FALSE(record->isEnabled());
        length = c.lengthMs;
        button(dialog, "Stop")->click();
        EXPECT_EQ(button(dialog, "Play")->isEnabled(), c.enabled);
        EXPECT_EQ(button(dialog, "Save...")->isEnabled(), c.enabled);
        EXPECT_TRUE(record->isEnabled());
        EXPECT_EQ(dialog.saveTo("take.wav"), c.enabled);
    }
}
