#include "face/ObjExport.h"

#include "face/CHeadModel.h"

#include <sstream>

std::string headAsObj(const CHeadModel& model)
{
    std::ostringstream out;
    out.precision(7);
    for (int i = 0; i < model.vertexCount(); ++i) {
        Vec3f p;
        model.getVertex(i, p);
        out << "v " << p.x << ' ' << p.y << ' ' << p.z << '\n';
    }
    for (int f = 0; f < model.faceCount(); ++f) {
        for (int corner = 0; corner < 3; ++corner) {
            float u = 0.0f, v = 0.0f;
            model.getTextureCoordinate(f, corner, u, v);
            out << "vt " << u << ' ' << v << '\n';
        }
    }
    for (int f = 0; f < model.faceCount(); ++f) {
        int corners[3];
        model.getFace(f, corners[0], corners[1], corners[2]);
        out << 'f';
        for (int corner = 0; corner < 3; ++corner)
            out << ' ' << corners[corner] + 1 << '/' << f * 3 + corner + 1;
        out << '\n';
    }
    return out.str();
}
