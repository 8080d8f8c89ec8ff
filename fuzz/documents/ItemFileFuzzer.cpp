// Feeds one input to the reader of each of the five item files, and writes back what was read.
#include "ItemFiles.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ItemTracks tracks;
    for (ItemFileKind kind : {ItemFileKind::visemes, ItemFileKind::expressions, ItemFileKind::headTurns,
                              ItemFileKind::events, ItemFileKind::sounds}) {
        MemoryByteSource in(data, size);
        readItemFile(in, tracks, kind);
        EncodedTrack encoded = encodeTrack(tracks, kind);
        if (encoded.records.size() != encoded.starts.size() || encoded.records.size() > size)
            std::abort();
    }
    return 0;
}
