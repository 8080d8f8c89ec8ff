#include "session/DocumentHead.h"

#include "documents/ProjectStore.h"
#include "documents/StreamProjectInputs.h"
#include "face/CHeadModel.h"
#include "images/CJpegPicture.h"
#include "rendering/CSoftRenderer.h"
#include "rendering/HeadViewSetup.h"

#include <optional>

namespace {

constexpr int kFaceSlot = 0, kTeethTopSlot = 1, kTeethBottomSlot = 2;

const std::uint32_t* pixelsOf(const CJpegPicture& picture)
{
    return reinterpret_cast<const std::uint32_t*>(picture.pixels());
}

// A slot picture that is missing or does not fit leaves the model's own texture, as the editor does.
std::optional<CJpegPicture> slotPicture(const std::string& path, bool alpha, int slot, const CHeadModel& head)
{
    CJpegPicture picture;
    int width = 0, height = 0;
    if (path.empty() || !head.slotSize(slot, width, height) || !picture.loadFile(path, alpha) ||
        picture.width() != width || picture.height() != height)
        return std::nullopt;
    return picture;
}

void putProjectPictures(CHeadModel& head, const ProjectStore& store)
{
    auto face = slotPicture(store.assetPath(AssetKind::faceTexture), false, kFaceSlot, head);
    const auto mask = slotPicture(store.assetPath(AssetKind::mask), true, kFaceSlot, head);
    if (face) {
        if (mask)
            face->takeAlphaFrom(*mask);
        head.writeSlotPixels(kFaceSlot, pixelsOf(*face));
    } else if (mask) {
        head.writeSlotAlpha(kFaceSlot, pixelsOf(*mask));
    }
    if (const auto top = slotPicture(store.assetPath(AssetKind::teethTop), false, kTeethTopSlot, head))
        head.writeSlotPixels(kTeethTopSlot, pixelsOf(*top));
    if (const auto bottom =
            slotPicture(store.assetPath(AssetKind::teethBottom), false, kTeethBottomSlot, head))
        head.writeSlotPixels(kTeethBottomSlot, pixelsOf(*bottom));
}

} // namespace

std::unique_ptr<CHeadModel> documentHead(const ProjectStore& store)
{
    std::unique_ptr<CHeadModel> head = headModelOf(store);
    if (!head)
        return nullptr;
    CSoftRenderer view;
    if (!view.create(head.get(), 0))
        return nullptr;
    headview::attachWithNormalise(view, *head);
    putProjectPictures(*head, store);
    return head;
}
