// Builds channel groups of demo channels in a running engine: channels with their
// parameters, links, public channels and calls, pools.
#pragma once

#include <string>

#include "DemoChannel.h"

namespace demo {

class SceneBuilder {
public:
    SceneBuilder(EngineInterface* engine, const char* poolName);

    Tev_ChannelGroup* Group() { return group; }
    // False once anything failed; the first failure is in Error().
    bool Ok() const { return error.empty(); }
    const std::string& Error() const { return error; }

    DemoChannel* Add(const _GUID& type, const char* name);
    DemoChannel* Clock(const char* name);
    DemoChannel* Oscillator(const char* name, int wave, float frequency, float amplitude, Tev_Channel* time);
    DemoChannel* Transform(const char* name, Vec3 position, Vec3 axis, float angle, float scale);
    DemoChannel* Mesh(const char* name, int shape, float size);
    DemoChannel* Object(const char* name, Colour colour, Tev_Channel* transform, Tev_Channel* mesh);
    // An object-typed channel standing for every member of the pool.
    DemoChannel* PoolUser(const char* name, const char* pool);
    // A public call to a public object of another group, loaded from `file` when missing.
    DemoChannel* PublicCall(const char* name, const char* pool, const char* channel, const char* file,
                            bool background);

    void Link(Tev_Channel* parent, Tev_Channel* child, int position);
    void Set(DemoChannel* channel, const char* parameter, float value);
    void Set(DemoChannel* channel, const char* parameter, Vec3 value);
    void JoinPool(Tev_Channel* channel, const char* pool);
    void DeclareParameter(const char* name, const _GUID& type);
    void Save(const std::string& path);

private:
    void Fail(const std::string& what);

    EngineInterface* engine;
    Tev_ChannelGroup* group;
    std::string error;
};

}  // namespace demo
