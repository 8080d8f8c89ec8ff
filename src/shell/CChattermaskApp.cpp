#include "shell/CChattermaskApp.h"

#include "Common/ContentRoot.h"
#include "Common/ResourceLibrary.h"
#include "animation/ui/CRecorderDialog.h"
#include "animation/ui/QtRecorderDevice.h"
#include "session/ProjectSession.h"
#include "shell/CChattermaskEditorMainFrame.h"
#include "shell/FrameSettings.h"
#include "shell/MediaExportCommand.h"
#include "shell/ResourceUi.h"
#include "shell/SplashWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <cstdio>
#include <vector>

namespace {

// Without a screen nobody can read a message box; the text still goes to standard error.
bool canShowWindows()
{
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal";
}

} // namespace

CChattermaskApp::CChattermaskApp(QApplication& app) : app_(app) {}

CChattermaskApp::~CChattermaskApp()
{
    exitInstance();
}

int CChattermaskApp::start(const QStringList& arguments)
{
    QString folder = QString::fromStdString(programFolder().string());
    if (!ResourceUi::load(folder)) {
        std::string message = ResourceLibrary::missingLibraryMessage();
        std::fprintf(stderr, "%s\n", message.c_str());
        if (canShowWindows())
            QMessageBox::critical(nullptr, QStringLiteral("chattermask"), QString::fromStdString(message));
        return kExitMissingLibrary;
    }
    libraryLoaded_ = true;

    std::vector<std::string> parameters;
    for (const QString& argument : arguments)
        parameters.push_back(argument.toStdString());
    commandLine_ = CommandLineInfo::parse(parameters);

    FrameStart start;
    start.contentRoot = contentRoot();
    start.processorPath = chooseProcessorPath(commandLine_);
    start.editorMode = commandLine_.editorMode;
    start.title = QString::fromStdString(commandLine_.applicationTitle());
    start.fileName = QString::fromStdString(commandLine_.fileName);
    start.openAsUntitled = start.fileName.isEmpty() || commandLine_.openAsUntitled;
    start.deleteFileOnExit = commandLine_.deleteFileOnExit != 0;
    start.openGlViews = canShowWindows();
    QApplication::setApplicationName(start.title);
    QApplication::setOrganizationName("Quillmere");

    int showCommand = FrameSettings(start.title).showCommand(FrameSettings::kShowNormal);
    frame_ = std::make_unique<CChattermaskEditorMainFrame>(start);
    frame_->recorder = [this](RecordingTake& take) { return record(take); };
    frame_->mediaExport = mediaExportFor(*frame_);
    frame_->hide();

    QPointer<SplashWindow> splash = new SplashWindow;
    splash->showCentred();
    if (!frame_->loadFirstDocument()) {
        if (splash)
            splash->close();
        frame_.reset();
        return kExitNoWindow;
    }
    if (showCommand == FrameSettings::kShowMaximized)
        frame_->showMaximized();
    else
        frame_->show();
    // The first document is open: the splash has done its work.
    if (splash)
        splash->close();
    return 0;
}

int CChattermaskApp::run(const QStringList& arguments)
{
    int status = start(arguments);
    if (status != 0) {
        exitInstance();
        return status;
    }
    QObject::connect(&app_, &QApplication::lastWindowClosed, &app_, &QApplication::quit);
    status = app_.exec();
    exitInstance();
    return status;
}

bool CChattermaskApp::record(RecordingTake& take)
{
    // The dialog stays until the next recording: the take it holds is written after it closed,
    // once the user said where the voice goes.
    recorderDialog_ =
        std::make_unique<CRecorderDialog>(frame_.get(), makeQtRecorderDevice(), &ResourceUi::library());
    recorderDialog_->exec();
    if (!recorderDialog_->recorder().hasTake())
        return false;
    CRecorderDialog* dialog = recorderDialog_.get();
    take.savedPath = dialog->savedPath().string();
    take.writeTo = [dialog](const std::filesystem::path& path) { return dialog->saveTo(path); };
    return true;
}

void CChattermaskApp::exitInstance()
{
    recorderDialog_.reset();
    frame_.reset();
    if (libraryLoaded_)
        ResourceUi::unload();
    libraryLoaded_ = false;
}
