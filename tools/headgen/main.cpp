// cm-headgen [--bob] OUT.cmm: writes the generic head in the text form the program loads at start-up, or
// with --bob the female default face's head (the same mesh and rigging with her hair).
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "HeadGenerator.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const bool bob = argc == 3 && std::strcmp(argv[1], "--bob") == 0;
    if (argc != 2 && !bob) {
        std::fprintf(stderr, "usage: cm-headgen [--bob] OUT.cmm\n");
        return 2;
    }
    const char* out = argv[argc - 1];
    auto model = headgen::generateHead(bob ? headgen::bobHair() : headgen::HairShape{});
    if (!model) {
        std::fprintf(stderr, "cm-headgen: out of memory\n");
        return 1;
    }
    if (!writeTextHead(out, *model)) {
        std::fprintf(stderr, "cm-headgen: cannot write %s\n", out);
        return 1;
    }
    std::printf("wrote %s: %d vertices, %d triangles\n", out, model->vertexCount(), model->faceCount());
    return 0;
}
