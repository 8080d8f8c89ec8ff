// Mesh record reader on arbitrary bytes, into a fresh model and into an existing one; a model that
// reads must write back and deform.
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "face/MeshFitting.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto model = readMeshRecord(ByteView{data, size});
    if (model) {
        model->saveToSet(0);
        model->saveToSet(1);
        for (int i = 0; i < 68; ++i)
            model->setFapValue(i, -200);
        model->deform(true);
        fitToLines(*model);
        auto bytes = meshRecordBytes(*model);
        readMeshRecordInto(ByteView{bytes.data(), bytes.size()}, *model);
    }
    return 0;
}
