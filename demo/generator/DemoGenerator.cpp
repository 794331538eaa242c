// Writes the demo project: starts an engine on the install directory that holds the demo
// plug-ins, builds the three groups with the kernel's own writer, and has the install's
// vantor-project make the project file beside them and list the plug-ins the groups need.
//   demo_generator INSTALL_DIR OUTPUT_DIR
#include <cstdio>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "SceneBuilder.h"
#include "TarnwellHost.h"

using namespace demo;

namespace {

enum Wave { kSine = 0, kRamp = 1 };
enum Shape { kCube = 0, kOctahedron = 1, kTetrahedron = 2, kIcosahedron = 3 };
enum RendererLinks { kObjects = 0, kCamera = 1, kGroups = 2 };
enum TransformLinks { kAngle = 0, kLift = 1, kParent = 2 };

const char kProjectName[] = "demo.vtr";
const char kRegistryKey[] = "Software\\Vantor Demo Generator";
const char kStartGroup[] = "scene.cgr";

// The shared object group: one public object whose transform is the group's parameter, so
// each public call into it draws the object where that call's own transform child says.
bool BuildOrbiter(EngineInterface* engine, const std::string& dir, std::string& error) {
    SceneBuilder b(engine, "Orbiter");
    b.DeclareParameter("Place", kTransformType);
    DemoChannel* body = b.Object("Body", {1.0f, 0.85f, 0.3f}, nullptr, nullptr);
    if (body) body->SetChannelInterfaceType(PEX_PUBLIC);
    DemoChannel* place = b.Add(kTransformType, "Place");
    if (place) place->SetChannelInterfaceType(PEX_PARAMETER);
    b.Link(body, place, 0);
    b.Link(body, b.Mesh("Body mesh", kOctahedron, 1.0f), 1);
    b.Save(dir + "/orbiter.cgr");
    error = b.Error();
    return b.Ok();
}

// Loaded in the background a few frames after start; its object joins the scene's pool.
bool BuildComet(EngineInterface* engine, const std::string& dir, std::string& error) {
    SceneBuilder b(engine, "Comet");
    DemoChannel* clock = b.Clock("Comet clock");
    DemoChannel* orbit = b.Transform("Comet orbit", {0, 0, 0}, {0.25, 1, 0}, 0, 1);
    b.Link(orbit, b.Oscillator("Comet orbit angle", kRamp, 0.15f, 360, clock), kAngle);
    DemoChannel* place = b.Transform("Comet place", {0, 0.6, 3.6}, {1, 0, 1}, 0, 1);
    b.Link(place, b.Oscillator("Comet tumble", kRamp, 0.5f, 360, clock), kAngle);
    b.Link(place, orbit, kParent);
    DemoChannel* comet =
        b.Object("Comet", {1.0f, 0.45f, 0.2f}, place, b.Mesh("Comet mesh", kTetrahedron, 0.8f));
    if (comet) comet->SetChannelInterfaceType(PEX_PUBLIC);
    b.JoinPool(comet, "Objects");
    b.Save(dir + "/comet.cgr");
    error = b.Error();
    return b.Ok();
}

// A moon circling around `centre`, drawn through a public call into the orbiter group.
DemoChannel* Moon(SceneBuilder& b, const char* name, Vec3 centre, Vec3 axis, float phase, DemoChannel* spin) {
    std::string base(name);
    DemoChannel* orbit = b.Transform((base + " orbit").c_str(), centre, axis, phase, 1);
    b.Link(orbit, spin, kAngle);
    DemoChannel* place = b.Transform((base + " place").c_str(), {1.9, 0, 0}, {0, 1, 0}, 0, 0.45f);
    b.Link(place, orbit, kParent);
    DemoChannel* call = b.PublicCall(name, "Orbiter", "Body", ".\\orbiter.cgr", false);
    b.Link(call, place, 0);
    return call;
}

bool BuildScene(EngineInterface* engine, const std::string& dir, std::string& error) {
    SceneBuilder b(engine, "Scene");
    // Index 0, the start channel.
    DemoChannel* renderer = b.Add(kRendererType, "Renderer");
    DemoChannel* clock = b.Clock("Clock");
    DemoChannel* spin = b.Oscillator("Spin", kRamp, 0.125f, 360, clock);
    DemoChannel* orbitSpin = b.Oscillator("Orbit spin", kRamp, 0.2f, 360, clock);
    DemoChannel* bob = b.Oscillator("Bob", kSine, 0.5f, 0.4f, clock);

    DemoChannel* camera = b.Transform("Camera", {0, 0, 0}, {0, 1, 0}, 0, 1);
    b.Link(camera, b.Oscillator("Sway", kSine, 0.1f, 25, clock), kAngle);
    b.Link(renderer, camera, kCamera);

    DemoChannel* cubePlace = b.Transform("Cube place", {-2.2, 0, 0}, {1, 1, 0}, 0, 1);
    b.Link(cubePlace, spin, kAngle);
    b.Link(cubePlace, bob, kLift);
    b.JoinPool(b.Object("Cube", {0.3f, 0.8f, 1.0f}, cubePlace, b.Mesh("Cube mesh", kCube, 1.2f)), "Objects");
    DemoChannel* crystalPlace = b.Transform("Crystal place", {2.2, 0, 0}, {0, 1, 0.3}, 0, 1);
    b.Link(crystalPlace, spin, kAngle);
    b.JoinPool(
        b.Object("Crystal", {0.7f, 1.0f, 0.4f}, crystalPlace, b.Mesh("Crystal mesh", kIcosahedron, 1.1f)),
        "Objects");

    // Every member of the pool, the comet too once its group is in.
    b.Link(renderer, b.PoolUser("All objects", "Objects"), kObjects);
    b.Link(renderer, Moon(b, "Moon A", {-2.2, 0, 0}, {0, 1, 0}, 0, orbitSpin), kObjects);
    b.Link(renderer, Moon(b, "Moon B", {2.2, 0, 0}, {0.3, 1, 0}, 180, orbitSpin), kObjects);
    b.Link(renderer, b.PublicCall("Comet call", "Comet", "Comet", ".\\comet.cgr", true), kGroups);
    b.Save(dir + "/" + kStartGroup);
    error = b.Error();
    return b.Ok();
}

// ---- the project file ----

// Runs the install's vantor-project with `arguments`; true when it succeeded.
bool RunProjectTool(const std::string& installDir, std::vector<std::string> arguments) {
#ifdef _WIN32
    const std::string tool = installDir + "/vantor-project.exe";
#else
    const std::string tool = installDir + "/vantor-project";
#endif
    arguments.insert(arguments.begin(), tool);
    if (RunProgram(arguments)) return true;
    std::fprintf(stderr, "demo_generator: %s %s failed\n", tool.c_str(), arguments[1].c_str());
    return false;
}

// The project names the start group and the interface version it was made for; pack lists
// every plug-in the groups need with the version and checksum of the copy installed now.
bool WriteProject(const std::string& installDir, const std::string& outputDir, int interfaceId) {
    const std::string project = outputDir + "/" + kProjectName;
    const std::vector<std::string> engine = {"--install-dir", installDir, "--registry-key", kRegistryKey};
    std::vector<std::string> create = {"new", project, outputDir + "/" + kStartGroup, "--version",
                                       "1," + std::to_string(interfaceId)};
    std::vector<std::string> pack = {"pack", project, project, "--embed", "no"};
    create.insert(create.end(), engine.begin(), engine.end());
    pack.insert(pack.end(), engine.begin(), engine.end());
    return RunProjectTool(installDir, create) && RunProjectTool(installDir, pack);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: demo_generator INSTALL_DIR OUTPUT_DIR\n");
        return 2;
    }
    const std::string installDir = argv[1], outputDir = argv[2];
    TevEngineHost host;
    if (host.Start(installDir.c_str(), kRegistryKey, "Vantor Demo Generator") != TEV_HOST_STARTED) {
        std::fprintf(stderr, "demo_generator: %s\n", host.Failure());
        return 1;
    }
    EngineInterface* engine = host.Engine();
    std::string error;
    // The targets first: public calls record the files of groups that are loaded.
    bool ok = BuildOrbiter(engine, outputDir, error) && BuildComet(engine, outputDir, error) &&
              BuildScene(engine, outputDir, error);
    if (!ok) std::fprintf(stderr, "demo_generator: %s\n", error.c_str());
    const int interfaceId = engine->engineInterfaceExt->GetInterfaceID();
    // The tool starts an engine of its own in the same install directory.
    host.Stop();
    const std::string project = outputDir + "/" + kProjectName;
    if (ok && !WriteProject(installDir, outputDir, interfaceId)) {
        std::fprintf(stderr, "demo_generator: vantor-project could not write %s\n", project.c_str());
        ok = false;
    }
    if (ok) std::printf("demo_generator: wrote %s and its three groups\n", project.c_str());
    return ok ? 0 : 1;
}
