// Paints the resource library's pictures (toolbar strips, hot images, splash, icon) and writes them
// as PNG bytes in a C++ source file that the library compiles, so the library itself needs no Qt.
#include "IconPainter.h"
#include "Common/ResourceIds.h"
#include "ToolbarData.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

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
        std::fprintf(stderr, "usage: iconpaint OUTPUT.cpp [PREVIEW-FOLDER]\n");
        return 2;
    }
    std::vector<std::pair<unsigned, QImage>> pictures;
    for (const auto& entry : cmrtdata::kStripBitmaps) {
        const cmrtdata::ToolbarStrip* strip = findStrip(entry.strip);
        if (strip)
            pictures.emplace_back(entry.bitmap, paintStrip(strip->commands, strip->count, entry.hot));
    }
    pictures.emplace_back(res::kBitmapSplash, paintSplash());
    pictures.emplace_back(res::kBitmapAppIcon, paintAppIcon());
    pictures.emplace_back(res::kBitmapSoundOn, paintSpeaker(false));
    pictures.emplace_back(res::kBitmapMuted, paintSpeaker(true));

    QString source = "// Written by tools/iconpaint at build time: the library's pictures as PNG bytes.\n"
                     "#include <cstddef>\n\nnamespace {\n\n";
    QString table = "struct Picture {\n    unsigned id;\n    const unsigned char* bytes;\n    unsigned size;\n};\n\n"
                    "const Picture kPictures[] = {\n";
    for (const auto& [id, image] : pictures) {
        QByteArray png = pngBytes(image);
        if (argc > 2) {
            // A preview for people: each picture enlarged eight times on a toolbar-grey ground.
            QImage preview(image.size() * 8, QImage::Format_ARGB32);
            preview.fill(QColor(232, 232, 232));
            QPainter painter(&preview);
            painter.drawImage(preview.rect(), image.width() > 64 ? image : image.scaled(image.size() * 8));
            painter.end();
            preview.save(QDir(argv[2]).filePath(QString("bitmap-%1.png").arg(id)));
        }
        source += QString("const unsigned char kBitmap%1[] = {").arg(id);
        for (int i = 0; i < png.size(); ++i)
            source += QString(i % 20 ? "%1," : "\n    %1,").arg(static_cast<unsigned char>(png[i]));
        source += "\n};\n\n";
        table += QString("    {%1, kBitmap%1, sizeof kBitmap%1},\n").arg(id);
    }
    source += table + "};\n\n} // namespace\n\n"
              "extern \"C\" __attribute__((visibility(\"default\"))) const unsigned char* cmrtLoadBitmap(unsigned id,\n"
              "                                                                                        unsigned* size)\n"
              "{\n    for (const Picture& picture : kPictures)\n        if (picture.id == id) {\n"
              "            if (size)\n                *size = picture.size;\n            return picture.bytes;\n"
              "        }\n    if (size)\n        *size = 0;\n    return nullptr;\n}\n";
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "iconpaint: cannot write %s\n", argv[1]);
        return 1;
    }
    out.write(source.toUtf8());
    return 0;
}
