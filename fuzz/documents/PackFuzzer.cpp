// Feeds one input to both pack readers and to the listing, as files from outside would arrive.
#include "documents/DocumentListing.h"
#include "documents/HeadPacks.h"
#include "documents/ProjectStore.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (DocumentKind kind : {DocumentKind::headDefinition, DocumentKind::headAnimation}) {
        ProjectStore store;
        MemoryByteSource in(data, size);
        DocumentStatus status;
        readPack(store, in, "fuzz.pack", kind, status);
        if (store.backgrounds().count() > AssetList::kCapacity ||
            store.soundClips().count() > AssetList::kCapacity)
            std::abort();
        store.reset();
    }
    MemoryByteSource in(data, size);
    DocumentListing listing;
    DocumentStatus status;
    listDocument(in, "fuzz.pack", listing, status);
    return 0;
}
