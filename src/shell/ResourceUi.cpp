#include "shell/ResourceUi.h"

#include <QDir>
#include <QImage>

struct ResourceUi::State {
    QLibrary qtLibrary;
    ResourceLibrary library;
};

ResourceUi::State& ResourceUi::state()
{
    static State instance;
    return instance;
}

bool ResourceUi::load(const QString& folder)
{
    State& s = state();
    unload();
    s.qtLibrary.setFileName(QDir(folder).filePath(QString::fromLatin1(ResourceLibrary::fileName())));
    if (!s.qtLibrary.load())
        return false;
    QLibrary& qtLibrary = s.qtLibrary;
    bool ok = s.library.attach(
        [&qtLibrary](const char* symbol) { return reinterpret_cast<void*>(qtLibrary.resolve(symbol)); });
    if (!ok)
        s.qtLibrary.unload();
    return ok;
}

void ResourceUi::unload()
{
    State& s = state();
    s.library.unload();
    if (s.qtLibrary.isLoaded())
        s.qtLibrary.unload();
}

bool ResourceUi::isLoaded() { return state().library.isLoaded(); }

const ResourceLibrary& ResourceUi::library() { return state().library; }

QString ResourceUi::text(unsigned id)
{
    auto found = library().text(id);
    return found ? QString::fromStdString(*found) : QStringLiteral("String %1").arg(id);
}

QString ResourceUi::dialogText(unsigned dialog, unsigned control)
{
    auto found = library().dialogText(dialog, control);
    return found ? QString::fromStdString(*found) : QString();
}

QString ResourceUi::prompt(unsigned command)
{
    auto found = library().text(command);
    return found ? QString::fromStdString(*found).section('\n', 0, 0) : QString();
}

QString ResourceUi::tooltip(unsigned command)
{
    auto found = library().text(command);
    if (!found)
        return QString();
    QString whole = QString::fromStdString(*found);
    return whole.contains('\n') ? whole.section('\n', 1) : whole;
}

QString ResourceUi::fileFilter(unsigned id)
{
    // "JPEG Pictures (*.jpg;*.jpeg)|*.jpg;*.jpeg|All Files (*.*)|*.*||": name and pattern in turn.
    QStringList parts = text(id).split('|', Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].section('(', 0, 0).trimmed();
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        if (patterns == "*.*")
            patterns = "*";
        filters << QStringLiteral("%1 (%2)").arg(name, patterns);
    }
    return filters.join(";;");
}

QPixmap ResourceUi::bitmap(unsigned id)
{
    std::span<const unsigned char> bytes = library().bitmap(id);
    QPixmap pixmap;
    if (!bytes.empty())
        pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()), "PNG");
    return pixmap;
}

std::vector<QPixmap> ResourceUi::stripImages(unsigned bitmapId)
{
    constexpr int kWidth = 16, kHeight = 15;
    std::vector<QPixmap> images;
    std::span<const unsigned char> bytes = library().bitmap(bitmapId);
    QImage strip;
    if (bytes.empty() || !strip.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "PNG"))
        return images;
    strip = strip.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < strip.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < strip.width(); ++x)
            if ((row[x] & 0xffffffu) == 0xff00ffu)
                row[x] = 0;
    }
    for (int x = 0; x + kWidth <= strip.width(); x += kWidth)
        images.push_back(QPixmap::fromImage(strip.copy(x, 0, kWidth, std::min(kHeight, strip.height()))));
    return images;
}
