// Shared by the demo plug-ins and the demo generator: the demo's type GUIDs, a little vector
// math, and the base class of every demo channel. A demo channel keeps its settings in a
// table of named parameters, each saved as a block of its own (float32 values, little-endian)
// after the kernel's channel record, so they survive a group file round trip.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "Tarnwell.h"

namespace demo {

// M_PI is not standard C++: strict builds (the Windows toolchain's) do not declare it.
constexpr double kPi = 3.14159265358979323846;

// Every demo type GUID shares the last twelve bytes; the first four tell the types apart.
constexpr _GUID MakeDemoGuid(uint32_t kind) {
    return {kind, 0x7A11, 0x4D3E, {0x9B, 0x10, 0x5E, 0x6F, 0x70, 0x81, 0x92, 0xA3}};
}
// Base types: what a link position accepts.
constexpr _GUID kValueBase = MakeDemoGuid(0xD3A00001);
constexpr _GUID kTransformType = MakeDemoGuid(0xD3A00002);
constexpr _GUID kMeshType = MakeDemoGuid(0xD3A00003);
constexpr _GUID kObjectType = MakeDemoGuid(0xD3A00004);
constexpr _GUID kRendererType = MakeDemoGuid(0xD3A00005);
// Value channels: the base is kValueBase.
constexpr _GUID kClockType = MakeDemoGuid(0xD3A00011);
constexpr _GUID kOscillatorType = MakeDemoGuid(0xD3A00012);

inline bool IsDemoGuid(const _GUID& guid) {
    const _GUID family = MakeDemoGuid(0);
    return guid.Data2 == family.Data2 && guid.Data3 == family.Data3 &&
           std::memcmp(guid.Data4, family.Data4, sizeof(family.Data4)) == 0;
}

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec3 Normalized(Vec3 a) {
    double length = std::sqrt(Dot(a, a));
    return length > 1e-12 ? a * (1.0 / length) : Vec3{0, 1, 0};
}

// Row-major 3x4 affine matrix: p' = M p.
struct Mat4 {
    double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

    Vec3 Apply(Vec3 p) const {
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
                m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
                m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
    }
    static Mat4 Translation(Vec3 t) {
        Mat4 r;
        r.m[0][3] = t.x;
        r.m[1][3] = t.y;
        r.m[2][3] = t.z;
        return r;
    }
    static Mat4 Scale(double s) {
        Mat4 r;
        for (int i = 0; i < 3; ++i) r.m[i][i] = s;
        return r;
    }
    // Rodrigues' rotation about a unit axis.
    static Mat4 Rotation(Vec3 axis, double degrees) {
        Vec3 a = Normalized(axis);
        double c = std::cos(degrees * kPi / 180.0), s = std::sin(degrees * kPi / 180.0), t = 1 - c;
        Mat4 r;
        r.m[0][0] = t * a.x * a.x + c;
        r.m[0][1] = t * a.x * a.y - s * a.z;
        r.m[0][2] = t * a.x * a.z + s * a.y;
        r.m[1][0] = t * a.x * a.y + s * a.z;
        r.m[1][1] = t * a.y * a.y + c;
        r.m[1][2] = t * a.y * a.z - s * a.x;
        r.m[2][0] = t * a.x * a.z - s * a.y;
        r.m[2][1] = t * a.y * a.z + s * a.x;
        r.m[2][2] = t * a.z * a.z + c;
        return r;
    }
};

inline Mat4 operator*(const Mat4& a, const Mat4& b) {
    Mat4 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) {
            double sum = j == 3 ? a.m[i][3] : 0.0;
            for (int k = 0; k < 3; ++k) sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    return r;
}

constexpr int kMaxMeshVertices = 12;
constexpr int kMaxMeshEdges = 30;

struct Mesh {
    int vertexCount = 0;
    int edgeCount = 0;
    Vec3 vertices[kMaxMeshVertices];
    int edges[kMaxMeshEdges][2] = {};
};

struct Colour {
    float r = 1, g = 1, b = 1;
};

// One named setting: a four-letter block tag and up to four values.
struct Parameter {
    char tag[5] = {};
    const char* name = nullptr;
    int count = 0;
    float values[4] = {};
};

constexpr int kMaxParameters = 8;

// The base of every demo channel. The renderer and objects reach their children through
// these virtual calls once GetChild has handed them a channel of a demo type.
class DemoChannel : public Tev_Channel {
public:
    // Value channels: the value this frame.
    virtual double Value() { return 0.0; }
    // Transforms: object to world.
    virtual Mat4 Matrix() { return Mat4(); }
    // Meshes: the solid, in object space; null for other channels.
    virtual const Mesh* GetMesh() { return nullptr; }
    // Objects: the colour they are drawn in.
    virtual Colour GetColour() { return Colour(); }

    // Sets a parameter by name; false for an unknown name or a wrong number of values.
    virtual bool SetParameter(const char* name, const float* values, int count) {
        Parameter* parameter = Find(name);
        if (!parameter || count != parameter->count) return false;
        for (int i = 0; i < count; ++i) parameter->values[i] = values[i];
        return true;
    }
    bool SetParameter(const char* name, float value) { return SetParameter(name, &value, 1); }
    bool SetParameter(const char* name, float a, float b, float c) {
        const float values[3] = {a, b, c};
        return SetParameter(name, values, 3);
    }

    // Every write is checked: a failed one stops the channel, so the group's save reports it.
    bool SaveChannel(TevFileSaver& saver) override;
    // Blocks follow the kernel's record in table order; a missing one keeps its default and
    // one of another size is skipped, so older and newer files both load.
    bool LoadChannel(TevFileLoader& loader, Tev_ChannelGroup* group) override;

protected:
    void AddParameter(const char* tag, const char* name, float a, float b = 0, float c = 0, int count = 1) {
        if (parameterCount >= kMaxParameters) return;
        Parameter& parameter = parameters[parameterCount++];
        std::memcpy(parameter.tag, tag, 4);
        parameter.name = name;
        parameter.count = count;
        parameter.values[0] = a;
        parameter.values[1] = b;
        parameter.values[2] = c;
    }
    void AddParameter3(const char* tag, const char* name, float a, float b, float c) {
        AddParameter(tag, name, a, b, c, 3);
    }
    float Get(int index, int value = 0) const { return parameters[index].values[value]; }
    Vec3 Get3(int index) const { return {Get(index, 0), Get(index, 1), Get(index, 2)}; }

    // A link position taking one child (requestLink: its own number) or many (-1).
    void DeclarePosition(int position, const _GUID& accepted, bool multiple) {
        ChildCreation creation;
        creation.channelType.typeGuid = accepted;
        creation.channelType.baseGuid = accepted;
        creation.requestLink = multiple ? -1 : position;
        SetChildCreateType(creation, position);
    }

    // The demo channel linked at a single position (resolved by GetChild), or null.
    DemoChannel* DemoChild(int position) { return AsDemo(GetChildFromLinkPosition(position, 0)); }

public:
    // Only channels of a demo type are treated as demo channels.
    static DemoChannel* AsDemo(Tev_Channel* channel) {
        if (!channel || !IsDemoGuid(channel->GetChannelType().typeGuid)) return nullptr;
        return static_cast<DemoChannel*>(channel);
    }

private:
    Parameter* Find(const char* name) {
        for (int i = 0; name && i < parameterCount; ++i)
            if (std::strcmp(parameters[i].name, name) == 0) return &parameters[i];
        return nullptr;
    }
    Parameter parameters[kMaxParameters];
    int parameterCount = 0;
};

}  // namespace demo
