// The animation stream's header on arbitrary bytes: the head pack found, inflated, split and made into
// a drawable head; and the same bytes as one animation-parameter record.
#include "player/AnimationStreamFormat.h"

#include "face/CHeadModel.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string error;
    std::vector<std::uint8_t> packed;
    std::vector<PackChunk> chunks;
    if (findPackedHead({data, size}, packed, error) && unpackHead(packed, chunks, error)) {
        if (auto head = headFromPack(chunks, error)) {
            for (int i = 0; i < 68; ++i)
                head->setFapValue(i, 300);
            head->deform(false);
        }
    }
    FapFrame frame{};
    readAnimationRecord({data, size}, frame);
    return 0;
}
