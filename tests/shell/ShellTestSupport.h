#pragma once

#include "ScriptedDialogs.h"
#include "shell/CChattermaskEditorMainFrame.h"
#include "TestSupport.h"

#include <QGuiApplication>
#include <QSettings>

#include <memory>

namespace shelltest {

// A frame of `mode` on the build's content, answering through a script the test keeps.
struct FrameFixture {
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<CChattermaskEditorMainFrame> frame;

    explicit FrameFixture(int mode, const QString& file = {}, bool untitled = true, bool temp = false)
    {
        FrameStart start;
        start.editorMode = mode;
        start.contentRoot = testsupport::binDir();
        static const char* const kTitles[] = {"Chattermask Studio (CMP Editor)",
                                              "Chattermask Studio (HDP Editor)",
                                              "Chattermask Studio (HAP Editor)"};
        start.title = kTitles[mode];
        start.fileName = file;
        start.openAsUntitled = untitled;
        start.deleteFileOnExit = temp;
        // The 3D view needs OpenGL: the private X server has it, Qt's offscreen platform does not.
        start.openGlViews = QGuiApplication::platformName() == QLatin1String("xcb");
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        frame = std::make_unique<CChattermaskEditorMainFrame>(start, std::move(scripted));
    }
};

// Removes every setting of the three editors.
inline void clearSettings()
{
    for (const char* title : {"Chattermask Studio (CMP Editor)", "Chattermask Studio (HDP Editor)",
                              "Chattermask Studio (HAP Editor)"})
        QSettings("Quillmere", title).clear();
}

} // namespace shelltest
