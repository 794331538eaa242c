// The demo plug-ins as channels in an engine: what they compute from their parameters and
// children, and how their parameter blocks load when a file holds a damaged one.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "DemoChannel.h"
#include "support/ChildProcess.h"
#include "support/TestEngine.h"

using namespace demo;

namespace {

class DemoChannels : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.Started());
        group = engine.Engine()->CreateNewGroup("Test", false, 0);
        ASSERT_NE(group, nullptr);
    }

    DemoChannel* Make(const _GUID& type, const char* name = "Channel") {
        DemoChannel* channel = DemoChannel::AsDemo(engine.Engine()->InitChannelFromType(type, group, false));
        EXPECT_NE(channel, nullptr) << "the demo plug-ins are not in the engine's channels directory";
        if (channel) channel->SetChannelName(name);
        return channel;
    }

    // A value channel that answers `value`: a ramp without a time child is its phase.
    DemoChannel* Constant(double value) {
        DemoChannel* constant = Make(kOscillatorType, "Constant");
        constant->SetParameter("wave", 1.0f);
        constant->SetParameter("phase", static_cast<float>(value));
        return constant;
    }

    DemoChannel* Oscillator(int wave, float frequency, float amplitude, float offset, double time) {
        DemoChannel* oscillator = Make(kOscillatorType, "Oscillator");
        EXPECT_TRUE(oscillator->SetParameter("wave", static_cast<float>(wave)));
        EXPECT_TRUE(oscillator->SetParameter("frequency", frequency));
        EXPECT_TRUE(oscillator->SetParameter("amplitude", amplitude));
        EXPECT_TRUE(oscillator->SetParameter("offset", offset));
        EXPECT_GE(oscillator->SetChild(Constant(time), -1, 0), 0);
        return oscillator;
    }

    tarnwell_test::TestEngine engine;
    Tev_ChannelGroup* group = nullptr;
};

TEST_F(DemoChannels, OscillatorFollowsItsWaveOfTheTimeChild) {
    struct Case {
        int wave;
        float frequency, amplitude, offset;
        double time, expected;
    } cases[] = {
        {0, 0.25f, 2, 1, 1.0, 3.0},    // sine at a quarter cycle
        {0, 0.5f, 2, 0, 1.0, 0.0},     // sine at half a cycle
        {1, 0.5f, 360, 10, 3.0, 550},  // ramp: a steady rotation, 180 degrees a second
        {2, 1, 1, 0, 0.0, -1.0},       // triangle at its start
        {2, 1, 1, 0, 0.25, 0.0},      {2, 1, 1, 0, 1.5, 1.0},  // half a cycle on: its top
    };
    for (const Case& c : cases)
        EXPECT_NEAR(Oscillator(c.wave, c.frequency, c.amplitude, c.offset, c.time)->Value(), c.expected, 1e-4)
            << "wave " << c.wave << " at " << c.time;
}

TEST_F(DemoChannels, EachSolidHasItsVerticesAndEdgesOnTheSphereOfItsSize) {
    struct Case {
        int shape, vertices, edges;
    } cases[] = {{0, 8, 12}, {1, 6, 12}, {2, 4, 6}, {3, 12, 30}};
    for (const Case& c : cases) {
        DemoChannel* mesh = Make(kMeshType);
        ASSERT_TRUE(mesh->SetParameter("shape", static_cast<float>(c.shape)));
        ASSERT_TRUE(mesh->SetParameter("size", 2.5f));
        const Mesh* solid = mesh->GetMesh();
        ASSERT_NE(solid, nullptr);
        EXPECT_EQ(solid->vertexCount, c.vertices) << "shape " << c.shape;
        EXPECT_EQ(solid->edgeCount, c.edges) << "shape " << c.shape;
        for (int v = 0; v < solid->vertexCount; ++v)
            EXPECT_NEAR(std::sqrt(Dot(solid->vertices[v], solid->vertices[v])), 2.5, 1e-6);
    }
}

TEST_F(DemoChannels, TransformAppliesItsParentAndACycleOfParentsEnds) {
    DemoChannel* parent = Make(kTransformType, "Parent");
    DemoChannel* child = Make(kTransformType, "Child");
    parent->SetParameter("position", 1, 0, 0);
    parent->SetParameter("angle", 90.0f);  // about y: x goes to -z
    child->SetParameter("position", 0, 2, 0);
    child->SetParameter("scale", 3.0f);
    ASSERT_GE(child->SetChild(parent, -1, 2), 0);
    Vec3 p = child->Matrix().Apply({1, 0, 0});
    EXPECT_NEAR(p.x, 1, 1e-9);
    EXPECT_NEAR(p.y, 2, 1e-9);
    EXPECT_NEAR(p.z, -3, 1e-9);

    ASSERT_GE(parent->SetChild(child, -1, 2), 0);
    child->Matrix();  // must return instead of recursing for ever
}

TEST_F(DemoChannels, SetParameterRefusesUnknownNamesAndWrongCounts) {
    DemoChannel* transform = Make(kTransformType);
    EXPECT_FALSE(transform->SetParameter("colour", 1, 1, 1));
    EXPECT_FALSE(transform->SetParameter("position", 1.0f));
    EXPECT_FALSE(transform->SetParameter(nullptr, 1.0f));
    EXPECT_TRUE(transform->SetParameter("position", 1, 2, 3));
}

const int kToolTimeoutMs = 60000;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A frequency block one byte too long (edited in the text form) leaves the default frequency
// and does not stop the amplitude block behind it from loading.
TEST_F(DemoChannels, ParameterBlockOfAnotherSizeKeepsItsDefaultAndLaterBlocksLoad) {
    DemoChannel* oscillator = Oscillator(0, 2, 5, 0, 0.125);  // 5 sin(2 pi 2 t) = 5
    EXPECT_NEAR(oscillator->Value(), 5.0, 1e-4);
    tarnwell_test::TempDir dir("demo-blocks");
    const std::string saved = dir.Path() + "/saved.cgr", text = dir.Path() + "/saved.txt",
                      damaged = dir.Path() + "/damaged.cgr";
    ASSERT_TRUE(group->SaveChannelGroup(saved.c_str()));
    tarnwell_test::ChildOptions dumpTo;
    dumpTo.output = text;
    ASSERT_EQ(tarnwell_test::RunChild({DEMO_CGR_TOOL, "dump", saved}, dumpTo, kToolTimeoutMs), 0);
    std::string dump = ReadText(text);
    const std::string frequency = "DOFQ hex:00000040";  // 2.0f
    const size_t at = dump.find(frequency);
    ASSERT_NE(at, std::string::npos) << dump;
    dump.insert(at + frequency.size(), "00");
    std::ofstream(text, std::ios::binary | std::ios::trunc) << dump;
    ASSERT_EQ(tarnwell_test::RunChild({DEMO_CGR_TOOL, "build", text, "-o", damaged}, {}, kToolTimeoutMs), 0);

    Tev_ChannelGroup* loaded = engine.Engine()->LoadChannelGroup(damaged.c_str(), "Damaged");
    ASSERT_NE(loaded, nullptr);
    DemoChannel* reloaded = DemoChannel::AsDemo(loaded->GetChannel("Oscillator"));
    ASSERT_NE(reloaded, nullptr);
    EXPECT_NEAR(reloaded->Value(), 5 * std::sin(2 * demo::kPi * 0.125), 1e-4);  // frequency 1
}

// A writer that fails its nth write (tag, size word or data), counting from 0.
class FailingSaver : public TevFileSaver {
public:
    explicit FailingSaver(int failAt) : failAt(failAt) {}
    bool SaveTag(const char*) override { return Next(); }
    bool SaveBlockSize(unsigned long) override { return Next(); }
    bool SaveDataToFile(const void*, unsigned long) override { return Next(); }
    int writes = 0;

private:
    bool Next() { return writes++ != failAt; }
    int failAt;
};

// Each write of a parameter block counts: any one failing fails the channel's save, so a
// plug-in's own blocks cannot be cut short behind a save that reports success.
TEST_F(DemoChannels, SaveFailsWhenAParameterWriteFails) {
    DemoChannel* oscillator = Oscillator(0, 2, 5, 0, 0.125);
    FailingSaver all(-1);
    ASSERT_TRUE(oscillator->SaveChannel(all));
    const int blockWrites = 4 * 3;  // the last four parameter blocks: tag, size, data
    ASSERT_GT(all.writes, blockWrites);
    for (int failAt = all.writes - blockWrites; failAt < all.writes; ++failAt) {
        FailingSaver saver(failAt);
        EXPECT_FALSE(oscillator->SaveChannel(saver)) << "write " << failAt;
    }
}

}  // namespace
