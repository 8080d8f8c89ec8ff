#include "documents/StreamProjectInputs.h"

#include "documents/TimelineItemFiles.h"

#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "face/HeadModelLock.h"

namespace {
constexpr int kNeutralSet = 1;
}

StreamInputs streamInputsOf(const ProjectStore& store, const TimelineData& timeline, CHeadModel* head)
{
    StreamInputs inputs;
    inputs.voice = timeline.voiceFile();
    if (head)
        inputs.writeMesh = [head](const std::filesystem::path& path) { return writeStreamMesh(path, *head); };
    inputs.faceTexture = store.assetPath(AssetKind::faceTexture);
    inputs.mask = store.assetPath(AssetKind::mask);
    inputs.teethTop = store.assetPath(AssetKind::teethTop);
    inputs.teethBottom = store.assetPath(AssetKind::teethBottom);
    for (int i = 0; i < store.backgrounds().count(); ++i)
        inputs.backgrounds.emplace_back(store.backgrounds().name(i), store.backgrounds().path(i));
    ItemTracks tracks = tracksFromTimeline(timeline);
    inputs.visemes = encodeTrack(tracks, ItemFileKind::visemes);
    inputs.expressions = encodeTrack(tracks, ItemFileKind::expressions);
    inputs.headTurns = encodeTrack(tracks, ItemFileKind::headTurns);
    return inputs;
}

bool writeStreamMesh(const std::filesystem::path& path, CHeadModel& head)
{
    HeadModelLock guard(head);
    if (!head.isInSync(kNeutralSet))
        head.saveToSet(kNeutralSet);
    return writeMeshRecord(path, head, false) == 1;
}

std::unique_ptr<CHeadModel> headModelOf(const ProjectStore& store)
{
    const std::string mesh = store.assetPath(AssetKind::headMesh);
    return mesh.empty() ? nullptr : readMeshRecordFile(mesh);
}
