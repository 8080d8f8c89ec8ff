// Paints the resource library's pictures (toolbar strips, hot images, splash, icon) as PNG files;
// scripts/make-pictures.sh keeps them in resources/pictures, from which the library embeds them.
#include "IconPainter.h"
#include "Common/ResourceIds.h"
#include "ToolbarData.h"

#include <QDir>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

const cmrtdata::ToolbarStrip* findStrip(unsigned id)
{
    for (const auto& strip : cmrtdata::kToolbarStrips)
        if (strip.id == id)
            return &strip;
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: iconpaint FOLDER [--preview]\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    bool preview = argc > 2 && std::string(argv[2]) == "--preview";
    std::vector<std::pair<unsigned, QImage>> pictures;
    for (const auto& entry : cmrtdata::kStripBitmaps) {
        const cmrtdata::ToolbarStrip* strip = findStrip(entry.strip);
        if (strip)
            pictures.emplace_back(entry.bitmap, paintStrip(strip->commands, strip->count, entry.hot));
    }
    pictures.emplace_back(res::kBitmapSplash, paintSplash());
    pictures.emplace_back(res::kBitmapAppIcon, paintAppIcon());
    pictures.emplace_back(res::kBitmapSoundOn, paintPreviewStrip(false));
    pictures.emplace_back(res::kBitmapMuted, paintPreviewStrip(true));

    for (const auto& [id, image] : pictures) {
        QImage out = image;
        if (preview) {
            // For people: each picture enlarged eight times on a toolbar-grey ground.
            out = QImage(image.size() * 8, QImage::Format_ARGB32);
            out.fill(QColor(232, 232, 232));
            QPainter painter(&out);
            painter.drawImage(out.rect(), image.width() > 64 ? image : image.scaled(image.size() * 8));
            painter.end();
        }
        QString name = folder.filePath(QString("bitmap-%1.png").arg(id));
        if (!out.save(name, "PNG")) {
            std::fprintf(stderr, "iconpaint: cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
