// Text head reader on arbitrary bytes; a model that reads must also survive a deformation.
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto model = readTextHead(ByteView{data, size});
    if (model) {
        model->saveToSet(1);
        for (int i = 0; i < 68; ++i)
            model->setFapValue(i, 300);
        model->deform(true);
    }
    return 0;
}
