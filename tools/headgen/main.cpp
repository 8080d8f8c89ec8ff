// cm-headgen OUT.cmm: writes the generic head in the text form the program loads at start-up.
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "HeadGenerator.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: cm-headgen OUT.cmm\n");
        return 2;
    }
    auto model = headgen::generateHead();
    if (!model) {
        std::fprintf(stderr, "cm-headgen: out of memory\n");
        return 1;
    }
    if (!writeTextHead(argv[1], *model)) {
        std::fprintf(stderr, "cm-headgen: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("wrote %s: %d vertices, %d triangles\n", argv[1], model->vertexCount(), model->faceCount());
    return 0;
}
