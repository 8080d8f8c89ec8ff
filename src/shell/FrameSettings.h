#pragma once

#include "shell/FrameOptions.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// The editor's settings under organisation "Quillmere" and the editor's title as application name,
// with the value names the program has always used, so each editor keeps its own set.
class FrameSettings {
public:
    static constexpr int kShowNormal = 1, kShowMaximized = 3;
    // Control numbers of the two panes, which name their sections ("Options-SCBar-59421").
    static constexpr int kProjectPaneId = 59421, kListPaneId = 59422;

    explicit FrameSettings(const QString& applicationTitle);

    int readInt(const QString& section, const QString& value, int fallback) const;
    void writeInt(const QString& section, const QString& value, int number);

    // "Settings" / "Main Frame ShowCmd", defaulting to `startedWith`.
    int showCommand(int startedWith) const;
    // The stored normal placement; nothing when any of the four values is missing.
    std::optional<QRect> normalPlacement() const;
    // On close: the show command always, the placement only when the window is normal.
    void writePlacement(int showCommand, const QRect& normalGeometry);

    FrameOptions readOptions() const;
    void writeOptions(const FrameOptions& options);

    // A pane's stored docked size, when at least `minimum` in both directions.
    std::optional<QSize> paneSize(int paneId, const QSize& minimum) const;
    void writePaneSize(int paneId, const QSize& docked, const QSize& floating);

    QStringList recentFiles() const;
    void writeRecentFiles(const QStringList& files);

    QString fileName() const;

private:
    QString application_;
};
