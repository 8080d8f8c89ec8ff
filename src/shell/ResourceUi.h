#pragma once

#include "Common/ResourceLibrary.h"

#include <QIcon>
#include <QLibrary>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The studio's view of the resource library: loads it with Qt by name and turns its records into Qt
// texts, pictures and file-dialog filters. One instance per run, made before any window.
class ResourceUi {
public:
    // Loads the library from `folder`; false when it is missing or is not ours.
    static bool load(const QString& folder);
    static void unload();
    static bool isLoaded();
    static const ResourceLibrary& library();

    // String `id`, or "String N" when the library lacks it.
    static QString text(unsigned id);
    // String `id` with its printf arguments filled in.
    template <typename... Args> static QString format(unsigned id, Args... args)
    {
        return QString::fromStdString(library().format(id, args...));
    }
    static QString dialogText(unsigned dialog, unsigned control);
    // A command's status-bar prompt (before the newline) and its tooltip (after it).
    static QString prompt(unsigned command);
    static QString tooltip(unsigned command);
    // A filter string of the library ("Name (*.x)|*.x|...||") as a Qt dialog filter.
    static QString fileFilter(unsigned id);

    static QPixmap bitmap(unsigned id);
    // The 16 x 15 images of a strip bitmap, left to right; 255, 0, 255 counts as transparent.
    static std::vector<QPixmap> stripImages(unsigned bitmapId);

private:
    struct State;
    static State& state();
};
