// The wireframe renderer: each frame it draws the edges of every object linked at its
// "Objects" position (pool members and public calls included) as seen from its camera, and
// every N frames writes the picture as PNG, a contact sheet of the pictures so far and a line
// naming what it drew into the directory named by VANTOR_DEMO_OUTPUT.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "DemoChannel.h"
#include "Image.h"

namespace {

enum { kSize, kBackground, kEye, kFieldOfView, kEvery };
enum { kObjectsLink, kCameraLink, kGroupsLink };

const char kOutputEnv[] = "VANTOR_DEMO_OUTPUT";
const char kEveryEnv[] = "VANTOR_DEMO_EVERY";
const double kNear = 0.1;
const int kThumbnailShrink = 3;
const int kSheetColumns = 4;
const int kSheetGap = 4;
const size_t kMaxThumbnails = 64;

uint8_t Channel8(double value) {
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

class WireframeChannel : public demo::DemoChannel {
public:
    WireframeChannel() {
        AddParameter("DRSZ", "size", 480, 360, 0, 2);
        AddParameter3("DRBG", "background", 0.04f, 0.05f, 0.10f);
        AddParameter3("DREY", "eye", 0, 2.2f, 7.2f);
        AddParameter("DRFV", "fov", 50.0f);
        AddParameter("DREV", "every", 30.0f);
        DeclarePosition(kObjectsLink, demo::kObjectType, true);
        DeclarePosition(kCameraLink, demo::kTransformType, false);
        DeclarePosition(kGroupsLink, TEV_WILDCARD_GUID, true);  // channels called each frame
    }

    void CallChannel() override {
        if (!CheckRenderCount()) return;
        // Pool links are expanded at the start of a frame; the first frame must not wait.
        if (frame == 0) LinkPoolToChannel();
        CallGroups();
        demo::Image image(static_cast<int>(Get(kSize, 0)), static_cast<int>(Get(kSize, 1)));
        std::vector<std::string> drawn;
        if (!DrawObjects(image, drawn)) {
            // A pool grew or shrank: relink now rather than lose its members for a frame.
            LinkPoolToChannel();
            drawn.clear();
            DrawObjects(image, drawn);
        }
        Output(image, drawn);
        ++frame;
    }

private:
    struct Camera {
        demo::Vec3 eye, right, up, forward;
        double focal = 1, centreX = 0, centreY = 0;
    };

    // Public calls here load their groups (in the background too) without being drawn.
    void CallGroups() {
        for (int i = 0; i < GetChildCount(); ++i)
            if (channelInternal.GetChildLinkPosition(this, i) == kGroupsLink)
                if (Tev_Channel* child = GetChild(i)) child->CallChannel();
    }

    Camera MakeCamera(const demo::Image& image) {
        demo::DemoChannel* camera = DemoChild(kCameraLink);
        demo::Mat4 place = camera ? camera->Matrix() : demo::Mat4();
        Camera view;
        view.eye = place.Apply(Get3(kEye));
        view.forward = demo::Normalized(place.Apply({0, 0, 0}) - view.eye);
        view.right = demo::Normalized(demo::Cross(view.forward, {0, 1, 0}));
        view.up = demo::Cross(view.right, view.forward);
        double fov = std::clamp(static_cast<double>(Get(kFieldOfView)), 5.0, 170.0);
        view.focal = image.Height() / 2.0 / std::tan(fov * demo::kPi / 360.0);
        view.centreX = image.Width() / 2.0;
        view.centreY = image.Height() / 2.0;
        return view;
    }

    // Each object is drawn as soon as GetChild hands it out: an object of a shared group
    // takes its transform from the public call that entered the group just now. False when
    // a pool link answered nothing because the pool changed.
    bool DrawObjects(demo::Image& image, std::vector<std::string>& drawn) {
        demo::Colour background{Get(kBackground, 0), Get(kBackground, 1), Get(kBackground, 2)};
        image.Fill({Channel8(background.r), Channel8(background.g), Channel8(background.b)});
        Camera view = MakeCamera(image);
        for (int i = 0; i < GetChildCount(); ++i) {
            if (channelInternal.GetChildLinkPosition(this, i) != kObjectsLink) continue;
            Tev_Channel* linked = channelInternal.GetInternalChild(this, i);
            Tev_Channel* child = GetChild(i);
            if (!child && linked && linked->GetIfUsePoolChannel()) return false;
            demo::DemoChannel* object = AsDemo(child);
            if (!object || !object->GetMesh()) continue;
            DrawObject(image, view, *object);
            const char* name = child->GetChannelName();
            drawn.push_back(name ? name : "?");
        }
        return true;
    }

    void DrawObject(demo::Image& image, const Camera& view, demo::DemoChannel& object) {
        const demo::Mesh& mesh = *object.GetMesh();
        const demo::Mat4 place = object.Matrix();
        const demo::Colour colour = object.GetColour();
        const demo::Rgb rgb{Channel8(colour.r), Channel8(colour.g), Channel8(colour.b)};
        demo::Vec3 points[demo::kMaxMeshVertices];
        for (int v = 0; v < mesh.vertexCount; ++v) {
            demo::Vec3 relative = place.Apply(mesh.vertices[v]) - view.eye;
            points[v] = {demo::Dot(relative, view.right), demo::Dot(relative, view.up),
                         demo::Dot(relative, view.forward)};
        }
        for (int e = 0; e < mesh.edgeCount; ++e) {
            demo::Vec3 a = points[mesh.edges[e][0]], b = points[mesh.edges[e][1]];
            if (a.z < kNear && b.z < kNear) continue;
            // The part behind the camera is cut off at the near plane.
            if (a.z < kNear) a = a + (b - a) * ((kNear - a.z) / (b.z - a.z));
            if (b.z < kNear) b = b + (a - b) * ((kNear - b.z) / (a.z - b.z));
            image.Line(view.centreX + a.x / a.z * view.focal, view.centreY - a.y / a.z * view.focal,
                       view.centreX + b.x / b.z * view.focal, view.centreY - b.y / b.z * view.focal, rgb);
        }
    }

    void Output(const demo::Image& image, const std::vector<std::string>& drawn) {
        const char* directory = std::getenv(kOutputEnv);
        if (!directory || !directory[0]) {
            if (frame == 0) {
                std::printf("wireframe: no pictures are written: set %s to a directory to get them\n",
                            kOutputEnv);
                std::fflush(stdout);
            }
            return;
        }
        if (failed) return;
        long every = static_cast<long>(Get(kEvery));
        if (const char* text = std::getenv(kEveryEnv)) every = std::atol(text);
        if (every < 1) every = 1;
        if (frame % every != 0) return;
        const std::filesystem::path dir(directory);
        if (frame == 0) {
            std::error_code error;
            std::filesystem::create_directories(dir, error);
            std::printf("wireframe: writing a PNG every %ld frames to %s\n", every, directory);
            std::fflush(stdout);
        }
        char name[64];
        std::snprintf(name, sizeof(name), "frame-%05ld.png", frame);
        if (!image.WritePng((dir / name).string())) return Fail((dir / name).string());
        if (thumbnails.size() < kMaxThumbnails) thumbnails.push_back(image.Shrunk(kThumbnailShrink));
        if (!WriteSheet((dir / "contact-sheet.png").string()))
            return Fail((dir / "contact-sheet.png").string());
        Log(dir / "frames.txt", drawn);
    }

    bool WriteSheet(const std::string& path) const {
        const int w = thumbnails.front().Width(), h = thumbnails.front().Height();
        const int count = static_cast<int>(thumbnails.size());
        const int columns = std::min(count, kSheetColumns),
                  rows = (count + kSheetColumns - 1) / kSheetColumns;
        demo::Image sheet(columns * (w + kSheetGap) + kSheetGap, rows * (h + kSheetGap) + kSheetGap);
        sheet.Fill({40, 40, 40});
        for (int i = 0; i < count; ++i)
            sheet.Paste(thumbnails[i], kSheetGap + (i % kSheetColumns) * (w + kSheetGap),
                        kSheetGap + (i / kSheetColumns) * (h + kSheetGap));
        return sheet.WritePng(path);
    }

    // One line per written frame: "frame 30: 5 objects: Cube Crystal Body Body Comet".
    void Log(const std::filesystem::path& path, const std::vector<std::string>& drawn) const {
        // Binary: the same bytes on every system, so runs can be compared file for file.
        FILE* file = std::fopen(path.string().c_str(), frame == 0 ? "wb" : "ab");
        if (!file) return;
        std::fprintf(file, "frame %ld: %zu objects:", frame, drawn.size());
        for (const std::string& name : drawn) std::fprintf(file, " %s", name.c_str());
        std::fprintf(file, "\n");
        std::fclose(file);
    }

    // Reported once, also where the engine's log is off; the demo keeps running without pictures.
    void Fail(const std::string& path) {
        failed = true;
        std::fprintf(stderr, "wireframe: couldn't write %s; no more pictures are written\n", path.c_str());
        if (engineInterface)
            engineInterface->showErrorMessage("Wireframe renderer: couldn't write", path.c_str());
    }

    long frame = 0;
    bool failed = false;
    std::vector<demo::Image> thumbnails;
};

}  // namespace

TARNWELL_CHANNEL_PLUGIN(WireframeChannel, "Demo Wireframe Renderer", demo::kRendererType, demo::kRendererType)
