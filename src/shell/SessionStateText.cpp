#include "shell/SessionStateText.h"

#include "Common/ResourceIds.h"
#include "face/CHeadModel.h"
#include "face/HeadModelLock.h"
#include "session/ProjectSession.h"
#include "shell/ResourceUi.h"

#include <QFileInfo>

namespace sessionstate {

namespace {

constexpr long long kSamplesPerSecond = 16000;

} // namespace

QString minutesSeconds(long long samples)
{
    long long seconds = std::max(0LL, samples) / kSamplesPerSecond;
    return QString::asprintf("%02lld : %02lld", seconds / 60, seconds % 60);
}

QString headText(ProjectSession& session)
{
    CHeadModel* model = session.headModel();
    if (!model)
        return ResourceUi::text(res::kStrNoHead);
    // A mesh read from a pack lives in a temporary file; the head is then known by its pack's name.
    const ProjectStore& store = session.store();
    QString mesh = QString::fromStdString(store.assetPath(AssetKind::headMesh));
    QString pack = QString::fromStdString(store.packPath(DocumentKind::headDefinition));
    QString name = !mesh.isEmpty() && !store.isOwned(AssetKind::headMesh) ? QFileInfo(mesh).completeBaseName()
                   : !pack.isEmpty()                                     ? QFileInfo(pack).completeBaseName()
                                                                         : QStringLiteral("MaleHead");
    HeadModelLock lock(*model);
    return ResourceUi::format(res::kStrHeadState, name.toUtf8().constData(), model->vertexCount(), model->faceCount());
}

QString voiceText(const ProjectSession& session)
{
    long long samples = session.timeline().sampleCount();
    if (samples <= 0)
        return ResourceUi::text(res::kStrNoVoice);
    long long seconds = samples / kSamplesPerSecond;
    return ResourceUi::format(res::kStrVoiceState, static_cast<int>(seconds / 60), static_cast<int>(seconds % 60),
                              static_cast<int>(samples));
}

QString trackText(const ProjectSession& session)
{
    const TimelineData& t = session.timeline();
    return ResourceUi::format(res::kStrTrackCounts, t.visemes().count(), t.expressions().count(), t.headTurns().count(),
                              t.events().count(), t.sounds().count());
}

QImage faceTexture(ProjectSession& session)
{
    CHeadModel* model = session.headModel();
    if (!model)
        return QImage();
    HeadModelLock lock(*model);
    int width = 0, height = 0;
    const std::uint32_t* pixels = model->slotPixels(0);
    if (!pixels || !model->slotSize(0, width, height) || width <= 0 || height <= 0)
        return QImage();
    // Pixels are bytes blue, green, red, alpha: Qt's ARGB32 on a little-endian machine. The alpha is
    // the mask, which is not what the user wants to see here.
    QImage image(reinterpret_cast<const uchar*>(pixels), width, height, width * 4, QImage::Format_RGB32);
    return image.copy();
}

} // namespace sessionstate
