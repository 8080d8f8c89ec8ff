#include "shell/FrameSettings.h"

#include <QSettings>

namespace {

const char kOrganisation[] = "Quillmere";

QString paneSection(int paneId) { return QString::asprintf("%s-SCBar-%d", "Options", paneId); }

} // namespace

FrameSettings::FrameSettings(const QString& applicationTitle) : application_(applicationTitle) {}

int FrameSettings::readInt(const QString& section, const QString& value, int fallback) const
{
    QSettings settings(kOrganisation, application_);
    bool ok = false;
    int number = settings.value(section + '/' + value).toInt(&ok);
    return ok ? number : fallback;
}

void FrameSettings::writeInt(const QString& section, const QString& value, int number)
{
    QSettings settings(kOrganisation, application_);
    settings.setValue(section + '/' + value, number);
}

QString FrameSettings::fileName() const { return QSettings(kOrganisation, application_).fileName(); }

int FrameSettings::showCommand(int startedWith) const
{
    return readInt("Settings", "Main Frame ShowCmd", startedWith);
}

std::optional<QRect> FrameSettings::normalPlacement() const
{
    int width = readInt("Settings", "Main Frame Position.Width", -1);
    int height = readInt("Settings", "Main Frame Position.Height", -1);
    int left = readInt("Settings", "Main Frame Position.Left", INT32_MIN);
    int top = readInt("Settings", "Main Frame Position.Top", INT32_MIN);
    if (width <= 0 || height <= 0 || left == INT32_MIN || top == INT32_MIN)
        return std::nullopt;
    return QRect(left, top, width, height);
}

void FrameSettings::writePlacement(int showCommand, const QRect& normalGeometry)
{
    writeInt("Settings", "Main Frame ShowCmd", showCommand);
    if (showCommand != kShowNormal)
        return; // a maximised window keeps the last normal placement for the next restore
    writeInt("Settings", "Main Frame Position.Width", normalGeometry.width());
    writeInt("Settings", "Main Frame Position.Height", normalGeometry.height());
    writeInt("Settings", "Main Frame Position.Left", normalGeometry.left());
    writeInt("Settings", "Main Frame Position.Top", normalGeometry.top());
}

FrameOptions FrameSettings::readOptions() const
{
    FrameOptions defaults;
    FrameOptions options;
    options.toolBarFloating = readInt("Options", "ToolBarFloating", defaults.toolBarFloating);
    options.keepDockWindowSize = readInt("Options", "KeepDockWindowSize", defaults.keepDockWindowSize);
    options.useMinuteUnit = readInt("Options", "UseMinuteUnit", defaults.useMinuteUnit);
    options.indicatorColor =
        static_cast<std::uint32_t>(readInt("Options", "IndicatorColor", static_cast<int>(defaults.indicatorColor)));
    options.amplitudeColor =
        static_cast<std::uint32_t>(readInt("Options", "AmplitudeColor", static_cast<int>(defaults.amplitudeColor)));
    return options;
}

void FrameSettings::writeOptions(const FrameOptions& options)
{
    writeInt("Options", "ToolBarFloating", options.toolBarFloating);
    writeInt("Options", "KeepDockWindowSize", options.keepDockWindowSize);
    writeInt("Options", "UseMinuteUnit", options.useMinuteUnit);
    writeInt("Options", "IndicatorColor", static_cast<int>(options.indicatorColor));
    writeInt("Options", "AmplitudeColor", static_cast<int>(options.amplitudeColor));
}

std::optional<QSize> FrameSettings::paneSize(int paneId, const QSize& minimum) const
{
    // The panes dock on the left, so their docked size is the vertical orientation's.
    int width = readInt(paneSection(paneId), "sizeVertCX", -1);
    int height = readInt(paneSection(paneId), "sizeVertCY", -1);
    if (width < minimum.width() || height < minimum.height())
        return std::nullopt;
    return QSize(width, height);
}

void FrameSettings::writePaneSize(int paneId, const QSize& docked, const QSize& floating)
{
    QString section = paneSection(paneId);
    writeInt(section, "sizeHorzCX", docked.width());
    writeInt(section, "sizeHorzCY", docked.height());
    writeInt(section, "sizeVertCX", docked.width());
    writeInt(section, "sizeVertCY", docked.height());
    writeInt(section, "sizeFloatCX", floating.width());
    writeInt(section, "sizeFloatCY", floating.height());
}

QStringList FrameSettings::recentFiles() const
{
    QSettings settings(kOrganisation, application_);
    QStringList files;
    for (int i = 1; i <= 4; ++i) {
        QString file = settings.value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
        if (!file.isEmpty())
            files << file;
    }
    return files;
}

void FrameSettings::writeRecentFiles(const QStringList& files)
{
    QSettings settings(kOrganisation, application_);
    for (int i = 1; i <= 4; ++i) {
        QString key = QStringLiteral("Recent File List/File%1").arg(i);
        if (i <= files.size())
            settings.setValue(key, files[i - 1]);
        else
            settings.remove(key);
    }
}
