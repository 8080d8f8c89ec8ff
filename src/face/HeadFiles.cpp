#include "face/HeadFiles.h"

#include "face/CHeadModel.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <string>

namespace {

// Everything a head file holds, gathered before any model is touched.
struct HeadData {
    int vertexCount = 0, faceCount = 0;
    std::vector<Vec3f> vertices;
    struct FaceData {
        int a, b, c, slot;
        float uv[6];
    };
    std::vector<FaceData> faces;
    int featurePoints[kFeaturePointCount];
    std::vector<int> regions[kRegionCount];
    std::vector<std::pair<int, int>> lids[2];
    std::vector<std::pair<int, int>> lines;
    HeadData() { std::fill(featurePoints, featurePoints + kFeaturePointCount, -1); }
};

// Feature point k (0-83) in file order as (group, point).
FeaturePointId featurePointAt(int index)
{
    int group = 1;
    while (index >= CHeadModel::pointCount(group - 1)) {
        index -= CHeadModel::pointCount(group - 1);
        ++group;
    }
    return {group, index + 1};
}

class BinaryReader {
public:
    explicit BinaryReader(ByteView bytes) : bytes_(bytes) {}
    bool readInt(int& value)
    {
        std::uint32_t raw;
        if (!take(raw))
            return false;
        value = static_cast<int>(raw);
        return true;
    }
    bool readFloat(float& value)
    {
        std::uint32_t raw;
        if (!take(raw))
            return false;
        std::memcpy(&value, &raw, 4);
        return true;
    }
    // A count that the remaining bytes can hold, each item `itemSize` bytes.
    bool readCount(int& count, std::size_t itemSize)
    {
        return readInt(count) && count >= 0 && static_cast<std::size_t>(count) <= remaining() / itemSize;
    }
    std::size_t remaining() const { return bytes_.size - pos_; }

private:
    bool take(std::uint32_t& raw)
    {
        if (remaining() < 4)
            return false;
        const std::uint8_t* p = bytes_.data + pos_;
        raw = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        pos_ += 4;
        return true;
    }
    ByteView bytes_;
    std::size_t pos_ = 0;
};

class TextReader {
public:
    explicit TextReader(ByteView bytes) : bytes_(bytes) {}
    bool skip(int labels = 1)
    {
        std::string token;
        for (int i = 0; i < labels; ++i)
            if (!next(token))
                return false;
        return true;
    }
    bool readInt(int& value)
    {
        std::string token;
        if (!next(token))
            return false;
        errno = 0;
        char* end = nullptr;
        long parsed = std::strtol(token.c_str(), &end, 10);
        if (*end != '\0' || errno != 0 || parsed < INT32_MIN || parsed > INT32_MAX)
            return false;
        value = static_cast<int>(parsed);
        return true;
    }
    bool readFloat(float& value)
    {
        std::string token;
        if (!next(token))
            return false;
        char* end = nullptr;
        value = std::strtof(token.c_str(), &end);
        return *end == '\0';
    }
    // A count the remaining text can hold when each item has `tokens` tokens.
    bool readCount(int& count, std::size_t tokens)
    {
        return readInt(count) && count >= 0 && static_cast<std::size_t>(count) * tokens <= remaining();
    }
    bool atEnd()
    {
        skipSpace();
        return pos_ >= bytes_.size;
    }
    std::size_t remaining() const { return bytes_.size - pos_ + 1; }

private:
    static bool space(std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    void skipSpace()
    {
        while (pos_ < bytes_.size && space(bytes_.data[pos_]))
            ++pos_;
    }
    bool next(std::string& token)
    {
        skipSpace();
        std::size_t start = pos_;
        while (pos_ < bytes_.size && !space(bytes_.data[pos_]) && bytes_.data[pos_] != 0)
            ++pos_;
        if (pos_ == start)
            return false;
        token.assign(reinterpret_cast<const char*>(bytes_.data + start), pos_ - start);
        return true;
    }
    ByteView bytes_;
    std::size_t pos_ = 0;
};

bool readMeshBody(BinaryReader& in, HeadData& head)
{
    head.vertices.resize(static_cast<std::size_t>(head.vertexCount));
    for (Vec3f& p : head.vertices)
        if (!in.readFloat(p.x) || !in.readFloat(p.y) || !in.readFloat(p.z))
            return false;
    head.faces.resize(static_cast<std::size_t>(head.faceCount));
    for (auto& face : head.faces) {
        if (!in.readInt(face.a) || !in.readInt(face.b) || !in.readInt(face.c) || !in.readInt(face.slot))
            return false;
        for (float& value : face.uv)
            if (!in.readFloat(value))
                return false;
    }
    for (int& vertex : head.featurePoints)
        if (!in.readInt(vertex))
            return false;
    for (auto& region : head.regions) {
        int count;
        if (!in.readCount(count, 4))
            return false;
        region.resize(static_cast<std::size_t>(count));
        for (int& vertex : region)
            if (!in.readInt(vertex))
                return false;
    }
    for (auto& lids : head.lids) {
        int count;
        if (!in.readCount(count, 8))
            return false;
        lids.resize(static_cast<std::size_t>(count));
        for (auto& pair : lids)
            if (!in.readInt(pair.first) || !in.readInt(pair.second))
                return false;
    }
    int count;
    if (!in.readCount(count, 8))
        return false;
    head.lines.resize(static_cast<std::size_t>(count));
    for (auto& line : head.lines)
        if (!in.readInt(line.first) || !in.readInt(line.second))
            return false;
    return true;
}

bool parseMeshRecord(ByteView bytes, HeadData& head)
{
    BinaryReader in(bytes);
    if (!in.readInt(head.vertexCount) || !in.readInt(head.faceCount) || head.vertexCount < 0 ||
        head.faceCount < 0)
        return false;
    std::size_t needed = static_cast<std::size_t>(head.vertexCount) * 12 +
                         static_cast<std::size_t>(head.faceCount) * 40 + kFeaturePointCount * 4;
    if (needed > in.remaining())
        return false;
    return readMeshBody(in, head);
}

bool readTextPairs(TextReader& in, std::vector<std::pair<int, int>>& pairs)
{
    int count;
    if (!in.skip() || !in.readCount(count, 8))
        return false;
    pairs.resize(static_cast<std::size_t>(count));
    for (auto& pair : pairs)
        if (!in.skip(2) || !in.readInt(pair.first) || !in.readInt(pair.second))
            return false;
    return true;
}

bool readTextFeatures(TextReader& in, HeadData& head)
{
    for (int& vertex : head.featurePoints)
        if (!in.skip(3) || !in.readInt(vertex))
            return false;
    if (!in.skip())
        return false;
    for (auto& region : head.regions) {
        int count;
        if (!in.skip() || !in.readCount(count, 6))
            return false;
        region.resize(static_cast<std::size_t>(count));
        for (int& vertex : region)
            if (!in.skip(2) || !in.readInt(vertex))
                return false;
    }
    return readTextPairs(in, head.lids[0]) && readTextPairs(in, head.lids[1]) && readTextPairs(in, head.lines);
}

bool parseTextHead(ByteView bytes, HeadData& head)
{
    TextReader in(bytes);
    if (!in.skip() || !in.readInt(head.vertexCount) || !in.skip() || !in.readInt(head.faceCount))
        return false;
    if (head.vertexCount <= 0 || head.faceCount <= 0)
        return false;
    // Each token takes at least two bytes with its separator: refuse counts the text cannot hold.
    std::size_t tokens = static_cast<std::size_t>(head.vertexCount) * 5 + static_cast<std::size_t>(head.faceCount) * 12;
    if (tokens > in.remaining() / 2)
        return false;
    head.vertices.resize(static_cast<std::size_t>(head.vertexCount));
    for (Vec3f& p : head.vertices)
        if (!in.skip(2) || !in.readFloat(p.x) || !in.readFloat(p.y) || !in.readFloat(p.z))
            return false;
    head.faces.resize(static_cast<std::size_t>(head.faceCount));
    for (auto& face : head.faces) {
        if (!in.skip(2) || !in.readInt(face.a) || !in.readInt(face.b) || !in.readInt(face.c) ||
            !in.readInt(face.slot))
            return false;
        for (float& value : face.uv)
            if (!in.readFloat(value))
                return false;
    }
    if (!in.skip())
        return false;
    return in.atEnd() || readTextFeatures(in, head);
}

bool buildModel(const HeadData& head, CHeadModel& model)
{
    for (int i = 0; i < head.vertexCount; ++i)
        model.setVertex(i, head.vertices[i]);
    for (int f = 0; f < head.faceCount; ++f) {
        const auto& face = head.faces[f];
        // A face naming a vertex outside the mesh would leave the record meaningless: refuse it.
        if (!model.setFace(f, face.a, face.b, face.c))
            return false;
        model.setTextureSlot(f, face.slot);
        for (int corner = 0; corner < 3; ++corner)
            model.setTextureCoordinate(f, corner, face.uv[corner * 2], face.uv[corner * 2 + 1]);
        model.computeFaceNormal(f);
    }
    for (int index = 0; index < kFeaturePointCount; ++index) {
        FeaturePointId point = featurePointAt(index);
        model.setFeaturePoint(point.group, point.point, head.featurePoints[index]);
    }
    for (int region = 0; region < kRegionCount; ++region)
        for (int vertex : head.regions[region])
            model.regionEdit(vertex, region, true);
    for (int eye = 0; eye < 2; ++eye)
        for (const auto& pair : head.lids[eye])
            model.setEyelidPair(kEyelidLeft + eye, pair.first, pair.second);
    for (const auto& line : head.lines)
        model.addEditingLine(line.first, line.second);
    model.computeLineNumbers();
    return true;
}

using Parser = bool (*)(ByteView, HeadData&);

std::unique_ptr<CHeadModel> readNew(ByteView bytes, Parser parse)
{
    try {
        HeadData head;
        if (!parse(bytes, head))
            return nullptr;
        auto model = std::make_unique<CHeadModel>(head.vertexCount, head.faceCount);
        if (model->vertexCount() != head.vertexCount || model->faceCount() != head.faceCount)
            return nullptr;
        if (!buildModel(head, *model))
            return nullptr;
        return model;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int readInto(ByteView bytes, Parser parse, CHeadModel& model)
{
    std::unique_ptr<CHeadModel> fresh = readNew(bytes, parse);
    return fresh ? model.loadFrom(*fresh) : 0;
}

void putInt(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putFloat(std::vector<std::uint8_t>& out, float value)
{
    std::uint32_t raw;
    std::memcpy(&raw, &value, 4);
    putInt(out, raw);
}

// Gathers a model into HeadData for the writers.
HeadData gather(const CHeadModel& model)
{
    HeadData head;
    head.vertexCount = model.vertexCount();
    head.faceCount = model.faceCount();
    const Vec3f* source = model.isSetValid(1) ? model.storedPositions(1) : model.currentPositions();
    head.vertices.assign(source, source + head.vertexCount);
    head.faces.resize(static_cast<std::size_t>(head.faceCount));
    for (int f = 0; f < head.faceCount; ++f) {
        auto& face = head.faces[f];
        model.getFace(f, face.a, face.b, face.c);
        model.getTextureSlot(f, face.slot);
        for (int corner = 0; corner < 3; ++corner)
            model.getTextureCoordinate(f, corner, face.uv[corner * 2], face.uv[corner * 2 + 1]);
    }
    for (int index = 0; index < kFeaturePointCount; ++index) {
        FeaturePointId point = featurePointAt(index);
        head.featurePoints[index] = model.getFeaturePoint(point.group, point.point);
    }
    for (int region = 0; region < kRegionCount; ++region)
        for (int k = 0; k < model.regionSize(region); ++k)
            head.regions[region].push_back(model.regionVertex(region, k));
    auto addPair = [](void* context, int a, int b) {
        static_cast<std::vector<std::pair<int, int>>*>(context)->emplace_back(a, b);
        return 1;
    };
    model.visitEyelidPairs(kEyelidLeft, addPair, &head.lids[0]);
    model.visitEyelidPairs(kEyelidRight, addPair, &head.lids[1]);
    model.visitEditingLines(
        [](void* context, int a, int b, int) {
            static_cast<std::vector<std::pair<int, int>>*>(context)->emplace_back(a, b);
            return 1;
        },
        &head.lines);
    return head;
}

int writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes, bool append)
{
    std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    if (!out)
        return 0;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out ? 1 : 0;
}

} // namespace

HeadForm detectHeadForm(ByteView bytes)
{
    BinaryReader in(bytes);
    int vertices = 0, faces = 0;
    if (in.readInt(vertices) && in.readInt(faces) && vertices >= 0 && faces >= 0) {
        std::size_t least = static_cast<std::size_t>(vertices) * 12 + static_cast<std::size_t>(faces) * 40 +
                            (kFeaturePointCount + kRegionCount + 3) * 4;
        if (least <= in.remaining())
            return HeadForm::MeshRecord;
    }
    std::size_t pos = 0;
    while (pos < bytes.size && std::isspace(bytes.data[pos]))
        ++pos;
    if (pos < bytes.size && std::isalpha(bytes.data[pos]))
        return HeadForm::Text;
    return HeadForm::Unknown;
}

std::unique_ptr<CHeadModel> readTextHead(ByteView bytes)
{
    return readNew(bytes, parseTextHead);
}

std::unique_ptr<CHeadModel> readMeshRecord(ByteView bytes)
{
    return readNew(bytes, parseMeshRecord);
}

int readTextHeadInto(ByteView bytes, CHeadModel& model)
{
    return readInto(bytes, parseTextHead, model);
}

int readMeshRecordInto(ByteView bytes, CHeadModel& model)
{
    return readInto(bytes, parseMeshRecord, model);
}

int readMeshRecordInto(const void* base, std::size_t offset, std::size_t length, CHeadModel& model)
{
    if (!base)
        return 0;
    return readMeshRecordInto(ByteView{static_cast<const std::uint8_t*>(base) + offset, length}, model);
}

int readFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return 0;
    try {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return in.bad() ? 0 : 1;
}

std::unique_ptr<CHeadModel> readTextHeadFile(const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes;
    return readFileBytes(path, bytes) ? readTextHead({bytes.data(), bytes.size()}) : nullptr;
}

std::unique_ptr<CHeadModel> readMeshRecordFile(const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes;
    return readFileBytes(path, bytes) ? readMeshRecord({bytes.data(), bytes.size()}) : nullptr;
}

std::unique_ptr<CHeadModel> readHeadFile(const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(path, bytes))
        return nullptr;
    ByteView view{bytes.data(), bytes.size()};
    switch (detectHeadForm(view)) {
    case HeadForm::MeshRecord: return readMeshRecord(view);
    case HeadForm::Text: return readTextHead(view);
    default: return nullptr;
    }
}

std::vector<std::uint8_t> meshRecordBytes(const CHeadModel& model)
{
    HeadData head = gather(model);
    std::vector<std::uint8_t> out;
    putInt(out, static_cast<std::uint32_t>(head.vertexCount));
    putInt(out, static_cast<std::uint32_t>(head.faceCount));
    for (const Vec3f& p : head.vertices) {
        putFloat(out, p.x);
        putFloat(out, p.y);
        putFloat(out, p.z);
    }
    for (const auto& face : head.faces) {
        for (int value : {face.a, face.b, face.c, face.slot})
            putInt(out, static_cast<std::uint32_t>(value));
        for (float value : face.uv)
            putFloat(out, value);
    }
    for (int vertex : head.featurePoints)
        putInt(out, static_cast<std::uint32_t>(vertex));
    for (const auto& region : head.regions) {
        putInt(out, static_cast<std::uint32_t>(region.size()));
        for (int vertex : region)
            putInt(out, static_cast<std::uint32_t>(vertex));
    }
    for (const auto* pairs : {&head.lids[0], &head.lids[1], &head.lines}) {
        putInt(out, static_cast<std::uint32_t>(pairs->size()));
        for (const auto& pair : *pairs) {
            putInt(out, static_cast<std::uint32_t>(pair.first));
            putInt(out, static_cast<std::uint32_t>(pair.second));
        }
    }
    return out;
}

int writeMeshRecord(const std::filesystem::path& path, const CHeadModel& model, bool append)
{
    return writeBytes(path, meshRecordBytes(model), append);
}

std::vector<std::uint8_t> textHeadBytes(const CHeadModel& model)
{
    HeadData head = gather(model);
    std::ostringstream out;
    out.precision(9);
    out << "Vertices " << head.vertexCount << "\nFaces " << head.faceCount << "\n";
    for (int i = 0; i < head.vertexCount; ++i) {
        const Vec3f& p = head.vertices[i];
        out << "Vertex " << i << ' ' << p.x << ' ' << p.y << ' ' << p.z << "\n";
    }
    for (int f = 0; f < head.faceCount; ++f) {
        const auto& face = head.faces[f];
        out << "Face " << f << ' ' << face.a << ' ' << face.b << ' ' << face.c << ' ' << face.slot;
        for (float value : face.uv)
            out << ' ' << value;
        out << "\n";
    }
    out << "FeaturePoints\n";
    for (int index = 0; index < kFeaturePointCount; ++index) {
        FeaturePointId point = featurePointAt(index);
        out << "Point " << point.group << ' ' << point.point << ' ' << head.featurePoints[index] << "\n";
    }
    out << "Regions\n";
    for (int region = 0; region < kRegionCount; ++region) {
        out << "Region" << region << ' ' << head.regions[region].size() << "\n";
        for (std::size_t k = 0; k < head.regions[region].size(); ++k)
            out << "  Member " << k << ' ' << head.regions[region][k] << "\n";
    }
    const char* titles[] = {"LeftEyelids", "RightEyelids", "EditingLines"};
    const std::vector<std::pair<int, int>>* lists[] = {&head.lids[0], &head.lids[1], &head.lines};
    for (int t = 0; t < 3; ++t) {
        out << titles[t] << ' ' << lists[t]->size() << "\n";
        for (std::size_t k = 0; k < lists[t]->size(); ++k)
            out << "  Pair " << k << ' ' << (*lists[t])[k].first << ' ' << (*lists[t])[k].second << "\n";
    }
    std::string text = out.str();
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

int writeTextHead(const std::filesystem::path& path, const CHeadModel& model)
{
    return writeBytes(path, textHeadBytes(model), false);
}
