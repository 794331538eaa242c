// The edges of a regular solid of a given circumradius: cube, octahedron, tetrahedron or
// icosahedron. Edges join the vertex pairs at the shortest distance.
#include <algorithm>

#include "DemoChannel.h"

namespace {

enum { kShape, kSize };
enum Shape { kCube = 0, kOctahedron = 1, kTetrahedron = 2, kIcosahedron = 3 };

void AddVertex(demo::Mesh& mesh, double x, double y, double z) {
    if (mesh.vertexCount < demo::kMaxMeshVertices) mesh.vertices[mesh.vertexCount++] = {x, y, z};
}

void AddCorners(demo::Mesh& mesh, int shape) {
    const double phi = (1 + std::sqrt(5.0)) / 2;
    switch (shape) {
        case kOctahedron:
            for (int axis = 0; axis < 3; ++axis)
                for (double sign : {1.0, -1.0})
                    AddVertex(mesh, axis == 0 ? sign : 0, axis == 1 ? sign : 0, axis == 2 ? sign : 0);
            break;
        case kTetrahedron:
            AddVertex(mesh, 1, 1, 1);
            AddVertex(mesh, 1, -1, -1);
            AddVertex(mesh, -1, 1, -1);
            AddVertex(mesh, -1, -1, 1);
            break;
        case kIcosahedron:
            for (double a : {1.0, -1.0})
                for (double b : {phi, -phi}) {
                    AddVertex(mesh, 0, a, b);
                    AddVertex(mesh, a, b, 0);
                    AddVertex(mesh, b, 0, a);
                }
            break;
        default:
            for (int corner = 0; corner < 8; ++corner)
                AddVertex(mesh, corner & 1 ? 1 : -1, corner & 2 ? 1 : -1, corner & 4 ? 1 : -1);
    }
}

void JoinNearest(demo::Mesh& mesh) {
    double shortest = 1e30;
    for (int i = 0; i < mesh.vertexCount; ++i)
        for (int j = i + 1; j < mesh.vertexCount; ++j) {
            demo::Vec3 d = mesh.vertices[i] - mesh.vertices[j];
            shortest = std::min(shortest, demo::Dot(d, d));
        }
    for (int i = 0; i < mesh.vertexCount; ++i)
        for (int j = i + 1; j < mesh.vertexCount && mesh.edgeCount < demo::kMaxMeshEdges; ++j) {
            demo::Vec3 d = mesh.vertices[i] - mesh.vertices[j];
            if (demo::Dot(d, d) > shortest * 1.001) continue;
            mesh.edges[mesh.edgeCount][0] = i;
            mesh.edges[mesh.edgeCount][1] = j;
            ++mesh.edgeCount;
        }
}

class MeshChannel : public demo::DemoChannel {
public:
    MeshChannel() {
        AddParameter("DMSH", "shape", kCube);
        AddParameter("DMSZ", "size", 1.0f);
    }

    // Built again only when a parameter changed.
    const demo::Mesh* GetMesh() override {
        if (builtShape != Get(kShape) || builtSize != Get(kSize)) Build();
        return &mesh;
    }

private:
    void Build() {
        builtShape = Get(kShape);
        builtSize = Get(kSize);
        mesh = demo::Mesh();
        AddCorners(mesh, static_cast<int>(builtShape));
        for (int i = 0; i < mesh.vertexCount; ++i)
            mesh.vertices[i] = demo::Normalized(mesh.vertices[i]) * builtSize;
        JoinNearest(mesh);
    }

    demo::Mesh mesh;
    float builtShape = -1;
    float builtSize = -1;
};

}  // namespace

TARNWELL_CHANNEL_PLUGIN(MeshChannel, "Demo Mesh", demo::kMeshType, demo::kMeshType)
