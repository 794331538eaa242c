#include "SceneBuilder.h"

#include <cstdio>

#include "ChannelPoolManagement.h"

namespace demo {

SceneBuilder::SceneBuilder(EngineInterface* engineInterface, const char* poolName)
    : engine(engineInterface), group(engineInterface->CreateNewGroup(poolName, false, 0)) {
    if (!group) Fail(std::string("group not created: ") + poolName);
}

void SceneBuilder::Fail(const std::string& what) {
    if (error.empty()) error = what;
}

DemoChannel* SceneBuilder::Add(const _GUID& type, const char* name) {
    if (!group) return nullptr;
    DemoChannel* channel = DemoChannel::AsDemo(engine->InitChannelFromType(type, group, false));
    if (!channel) {
        Fail(std::string("no demo plug-in made the channel ") + name);
        return nullptr;
    }
    channel->SetChannelName(name);
    return channel;
}

DemoChannel* SceneBuilder::Clock(const char* name) { return Add(kClockType, name); }

DemoChannel* SceneBuilder::Oscillator(const char* name, int wave, float frequency, float amplitude,
                                      Tev_Channel* time) {
    DemoChannel* channel = Add(kOscillatorType, name);
    Set(channel, "wave", static_cast<float>(wave));
    Set(channel, "frequency", frequency);
    Set(channel, "amplitude", amplitude);
    Link(channel, time, 0);
    return channel;
}

DemoChannel* SceneBuilder::Transform(const char* name, Vec3 position, Vec3 axis, float angle, float scale) {
    DemoChannel* channel = Add(kTransformType, name);
    Set(channel, "position", position);
    Set(channel, "axis", axis);
    Set(channel, "angle", angle);
    Set(channel, "scale", scale);
    return channel;
}

DemoChannel* SceneBuilder::Mesh(const char* name, int shape, float size) {
    DemoChannel* channel = Add(kMeshType, name);
    Set(channel, "shape", static_cast<float>(shape));
    Set(channel, "size", size);
    return channel;
}

DemoChannel* SceneBuilder::Object(const char* name, Colour colour, Tev_Channel* transform,
                                  Tev_Channel* mesh) {
    DemoChannel* channel = Add(kObjectType, name);
    Set(channel, "colour", Vec3{colour.r, colour.g, colour.b});
    Link(channel, transform, 0);
    Link(channel, mesh, 1);
    return channel;
}

DemoChannel* SceneBuilder::PoolUser(const char* name, const char* pool) {
    DemoChannel* channel = Add(kObjectType, name);
    if (!channel) return nullptr;
    channel->SetChannelInterfaceType(PEX_CUSTOMCHANNELGET);
    channel->SetIfUsePoolChannel(true);
    channelInternal.AddPoolToChannel(channel, pool);
    return channel;
}

DemoChannel* SceneBuilder::PublicCall(const char* name, const char* pool, const char* target,
                                      const char* file, bool background) {
    DemoChannel* channel = Add(kObjectType, name);
    if (!channel) return nullptr;
    channel->SetChannelInterfaceType(PEX_PUBLICCALL);
    PublicCallInfo info;
    std::snprintf(info.poolName, sizeof(info.poolName), "%s", pool);
    std::snprintf(info.channelName, sizeof(info.channelName), "%s", target);
    std::snprintf(info.fileName, sizeof(info.fileName), "%s", file);
    if (!channelInternal.SetPublicCallInfo(channel, info)) Fail(std::string("not a public call: ") + name);
    if (background)
        channelInternal.SetDynamicAutoLoadGroup(channel, true);
    else
        channelInternal.SetAutoLoadGroup(channel, true);
    return channel;
}

void SceneBuilder::Link(Tev_Channel* parent, Tev_Channel* child, int position) {
    if (!parent || !child) return;
    if (parent->SetChild(child, -1, position) < 0)
        Fail(std::string("cannot link ") + child->GetChannelName() + " to " + parent->GetChannelName());
}

void SceneBuilder::Set(DemoChannel* channel, const char* parameter, float value) {
    if (channel && !channel->SetParameter(parameter, value))
        Fail(std::string("no parameter ") + parameter + " on " + channel->GetChannelName());
}

void SceneBuilder::Set(DemoChannel* channel, const char* parameter, Vec3 value) {
    if (channel && !channel->SetParameter(parameter, static_cast<float>(value.x), static_cast<float>(value.y),
                                          static_cast<float>(value.z)))
        Fail(std::string("no parameter ") + parameter + " on " + channel->GetChannelName());
}

void SceneBuilder::JoinPool(Tev_Channel* channel, const char* pool) {
    if (channel && !engine->engineInterfaceExt->GetChannelPoolManagement()->CreatePoolItem(pool, channel))
        Fail(std::string("cannot join pool ") + pool);
}

void SceneBuilder::DeclareParameter(const char* name, const _GUID& type) {
    if (!group) return;
    ParameterInterfaceInfo parameter{};
    std::snprintf(parameter.name, sizeof(parameter.name), "%s", name);
    parameter.typeGuid = type;
    group->AddParameterInfo(parameter);
}

void SceneBuilder::Save(const std::string& path) {
    if (Ok() && !group->SaveChannelGroup(path.c_str())) Fail("cannot write " + path);
}

}  // namespace demo
