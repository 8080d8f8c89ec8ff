// Feeds one input to the project loader with every part selected, and to the listing.
#include "documents/DocumentListing.h"
#include "documents/ProjectFile.h"
#include "documents/ProjectStore.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ProjectStore store;
    MemoryByteSource in(data, size);
    DocumentStatus status;
    loadProject(store, in, "fuzz.cmp", kLoadAll, status);
    store.reset();
    MemoryByteSource again(data, size);
    DocumentListing listing;
    listDocument(again, "fuzz.cmp", listing, status);
    return 0;
}
