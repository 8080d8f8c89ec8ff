#pragma once

#include "face/FapDefinitions.h"

#include <array>
#include <cstdint>
#include <forward_list>
#include <mutex>
#include <vector>

struct Vec3f {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

constexpr int kFeaturePointCount = 84;
constexpr int kEyelidSlotCount = 16;
constexpr int kEyelidLeft = 3;
constexpr int kEyelidRight = 4;
constexpr int kTextureSlotCount = 10;
constexpr int kStoredSetCount = 2;

// The one in-memory head: a deformable triangle mesh with its feature points, deformation regions,
// eyelid pairs, FAP values, editing lines and texture slots. Callers bracket groups of calls in
// lock()/unlock(); the operations do not lock by themselves.
class CHeadModel {
public:
    CHeadModel(int vertexCount, int faceCount);
    virtual ~CHeadModel() = default;
    CHeadModel(const CHeadModel&) = delete;
    CHeadModel& operator=(const CHeadModel&) = delete;

    int vertexCount() const { return vertexCount_; }
    int faceCount() const { return faceCount_; }

    void reset();
    void lock();
    void unlock();
    int lockDepth() const { return lockDepth_; }
    int busy() const { return busy_; }
    void setBusy(int busy) { busy_ = busy; }

    int setVertex(int i, float x, float y, float z);
    int setVertex(int i, const Vec3f& p) { return setVertex(i, p.x, p.y, p.z); }
    int getVertex(int i, Vec3f& p) const;
    int getStoredVertex(int set, int i, Vec3f& p) const;
    int setFace(int f, int a, int b, int c);
    int getFace(int f, int& a, int& b, int& c) const;
    int setTextureCoordinate(int f, int corner, float u, float v);
    int getTextureCoordinate(int f, int corner, float& u, float& v) const;
    int setTextureSlot(int f, int slot);
    int getTextureSlot(int f, int& slot) const;
    int getCornerNormal(int f, int corner, Vec3f& n) const;
    int computeFaceNormal(int f);
    int scale(float sx, float sy, float sz);
    int translate(float dx, float dy, float dz);
    // Max x/y/z, min x/y/z and spans over the current positions; all 0 for an empty mesh.
    void extents(Vec3f& max, Vec3f& min, Vec3f& span) const;
    int saveToSet(int set);
    int restoreFromSet(int set);
    int isSetValid(int set) const;
    int isInSync(int set) const;
    void getHeadPose(float& pitch, float& yaw, float& roll) const;
    Vec3f headPivot() const;

    static int pointCount(int groupIndex);
    int setFeaturePoint(int group, int k, int vertex);
    int getFeaturePoint(int group, int k) const;
    static int isAnimated(int group, int k);
    static int isAssignable(int group, int k);
    int axisMask(int group, int k) const;

    int setFapValue(int i, int value);
    int fapValue(int i) const;

    int regionEdit(int vertex, int region, bool add);
    int regionSize(int region) const;
    int regionVertex(int region, int k) const;

    int setEyelidPair(int kind, int key, int partner);
    using EyelidVisitor = int (*)(void* context, int key, int partner);
    int visitEyelidPairs(int kind, EyelidVisitor visitor, void* context) const;

    int addEditingLine(int a, int b);
    int removeEditingLine(int a, int b);
    using LineVisitor = int (*)(void* context, int a, int b, int lineNumber);
    int visitEditingLines(LineVisitor visitor, void* context) const;
    void computeLineNumbers();

    int writeSlotPixels(int slot, const std::uint32_t* pixels);
    int writeSlotColour(int slot, const std::uint32_t* pixels);
    int writeSlotAlpha(int slot, const std::uint32_t* pixels);
    std::uint32_t* slotPixels(int slot);
    const std::uint32_t* slotPixels(int slot) const;
    int slotSize(int slot, int& width, int& height) const;
    int slotCounter(int slot) const;

    // Face animation units measured on the neutral pose; 0 for codes outside 1-6.
    float unitValue(int unitCode) const;
    // Moves the mesh from the neutral pose (stored set 1) by the 68 FAP values. Allocates nothing.
    int deform(bool recomputeNormals);

    // Raw access for the deformation, the mesh fitting and the file writers.
    const Vec3f* currentPositions() const { return current_.data(); }
    Vec3f* currentPositions() { return current_.data(); }
    const Vec3f* storedPositions(int set) const { return stored_[set].data(); }

    // Refills this model from a freshly read one of equal counts, as loading a head does: reset, then
    // vertices, faces, feature points, eyelid pairs and lines replaced, region vertices added to the
    // lists already held. Stored sets, textures and the lock stay. Nothing changes on failure.
    int loadFrom(const CHeadModel& other);

private:
    struct Face {
        int corners[3] = {0, 0, 0};
        Vec3f normals[3];
        float uv[3][2] = {};
        int slot = 0;
    };
    struct FeaturePoint {
        int vertex = -1;
        int axisMask = 0;
    };
    struct EyelidSlot {
        int key = -1;
        int partner = -1;
    };
    struct EditingLine {
        int a, b, number;
    };

    static int featureIndex(int group, int k);
    bool validVertex(int i) const { return i >= 0 && i < vertexCount_; }
    bool validFace(int f) const { return f >= 0 && f < faceCount_; }
    void touchGeometry();
    void buildAxisMasks();
    int featureVertex(int group, int k) const;
    void applyFeaturePoints();
    void applyJaw();
    void applyRegions();
    void applyUpperLip();
    void applyEyelids();
    void lidFollow(int a, int b, int v, int t);

    int vertexCount_ = 0;
    int faceCount_ = 0;
    std::vector<Vec3f> current_;
    std::array<std::vector<Vec3f>, kStoredSetCount> stored_;
    std::vector<Face> faces_;
    int setValid_[kStoredSetCount] = {0, 0};
    int setInSync_[kStoredSetCount] = {0, 0};
    float pitch_ = 0.0f, yaw_ = 0.0f, roll_ = 0.0f;
    int busy_ = 0;
    std::array<FeaturePoint, kFeaturePointCount> featurePoints_{};
    std::array<std::vector<int>, kRegionCount> regions_;
    std::array<std::array<EyelidSlot, kEyelidSlotCount>, 2> eyelids_{};
    std::array<int, kFapEntryCount> fapValues_{};
    std::forward_list<EditingLine> lines_;
    std::array<std::vector<std::uint32_t>, kTextureSlotCount> slots_;
    std::array<int, kTextureSlotCount> slotCounters_{};
    std::recursive_mutex mutex_;
    int lockDepth_ = 0;
};
