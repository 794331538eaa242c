// A drawable object: a transform child places a mesh child, drawn in the object's colour.
#include "DemoChannel.h"

namespace {

enum { kColour };

class ObjectChannel : public demo::DemoChannel {
public:
    ObjectChannel() {
        AddParameter3("DBCO", "colour", 1, 1, 1);
        DeclarePosition(0, demo::kTransformType, false);  // "Transform"
        DeclarePosition(1, demo::kMeshType, false);       // "Mesh"
    }

    demo::Mat4 Matrix() override {
        demo::DemoChannel* transform = DemoChild(0);
        return transform ? transform->Matrix() : demo::Mat4();
    }
    const demo::Mesh* GetMesh() override {
        demo::DemoChannel* mesh = DemoChild(1);
        return mesh ? mesh->GetMesh() : nullptr;
    }
    demo::Colour GetColour() override { return {Get(kColour, 0), Get(kColour, 1), Get(kColour, 2)}; }
};

}  // namespace

TARNWELL_CHANNEL_PLUGIN(ObjectChannel, "Demo Object", demo::kObjectType, demo::kObjectType)
