// Places a child in the world: parent * translate(position + lift * up) * rotate(axis, angle)
// * scale. The angle and lift children (values) animate it; the parent chains transforms.
#include "DemoChannel.h"

namespace {

enum { kPosition, kAxis, kAngle, kScale };
enum { kAngleLink, kLiftLink, kParentLink };

class TransformChannel : public demo::DemoChannel {
public:
    TransformChannel() {
        AddParameter3("DTPO", "position", 0, 0, 0);
        AddParameter3("DTAX", "axis", 0, 1, 0);
        AddParameter("DTAN", "angle", 0.0f);
        AddParameter("DTSC", "scale", 1.0f);
        DeclarePosition(kAngleLink, demo::kValueBase, false);
        DeclarePosition(kLiftLink, demo::kValueBase, false);
        DeclarePosition(kParentLink, demo::kTransformType, false);
    }

    demo::Mat4 Matrix() override {
        demo::DemoChannel* angle = DemoChild(kAngleLink);
        demo::DemoChannel* lift = DemoChild(kLiftLink);
        demo::DemoChannel* parent = depth < kMaxDepth ? DemoChild(kParentLink) : nullptr;
        demo::Vec3 position = Get3(kPosition);
        if (lift) position.y += lift->Value();
        demo::Mat4 local = demo::Mat4::Translation(position) *
                           demo::Mat4::Rotation(Get3(kAxis), Get(kAngle) + (angle ? angle->Value() : 0.0)) *
                           demo::Mat4::Scale(Get(kScale));
        if (!parent) return local;
        // A cycle of parents ends here instead of recursing for ever.
        ++depth;
        demo::Mat4 world = parent->Matrix() * local;
        --depth;
        return world;
    }

private:
    static constexpr int kMaxDepth = 32;
    int depth = 0;
};

}  // namespace

TARNWELL_CHANNEL_PLUGIN(TransformChannel, "Demo Transform", demo::kTransformType, demo::kTransformType)
