#include "groupset/GroupSetFiles.h"

#include <cstdio>
#include <cstring>

#include "ChannelInternal.h"
#include "ChannelPoolManagement.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "TevFileSaver.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/cgrblocks/CgrBlocksChannel.h"
#include "fixtures/testchannels/TestChannels.h"
#include "format/GroupFileFormat.h"
#include "format/ProjectFormat.h"
#include "support/LoaderSupport.h"
#include "support/ProjectBuilder.h"

namespace tarnwell_test::groupset {

namespace {

// The pool name of the group while it is built: none a call looks for, so nothing resolves
// and every call is saved as it was made.
const char kBuildPool[] = "GroupSetBuild";

_GUID TypeOf(Kind kind) {
    switch (kind) {
        case Kind::Root:
            return kTestRootGuid;
        case Kind::Derived:
            return kTestDerivedGuid;
        case Kind::Links:
            return kTestLinksGuid;
        case Kind::Custom:
            return kTestCustomGuid;
        case Kind::CgrBlocks:
            return kCgrBlocksGuid;
        case Kind::Counter:
            return kTestCounterGuid;
    }
    return kTestRootGuid;
}

PublicCallInfo CallInfo(const CallTarget& target) {
    PublicCallInfo info;
    std::strncpy(info.channelName, PublicName(target.wanted).c_str(), sizeof(info.channelName) - 1);
    std::strncpy(info.poolName, PoolName(target.pool).c_str(), sizeof(info.poolName) - 1);
    std::strncpy(info.fileName, FileName(target.file).c_str(), sizeof(info.fileName) - 1);
    info.requestedPublicChannelNr = target.number;
    info.autoLoadGroup = target.load == Load::Autoload;
    info.dynamicAutoLoadGroup = target.load == Load::Dynamic ? 1 : 0;
    return info;
}

ParameterInterfaceInfo Parameter(int index) {
    ParameterInterfaceInfo info;
    std::memset(&info, 0, sizeof(info));
    std::snprintf(info.name, sizeof(info.name), "Parameter %d", index);
    info.typeGuid = kTestRootGuid;
    return info;
}

// Interface kind, name and records first: a public call must wait before its children come.
void Configure(EngineInterface* engine, Tev_Channel* made, const Channel& channel) {
    if (!channel.name.empty()) made->SetChannelName(channel.name.c_str());
    if (channel.interfaceType != PEX_NORMAL) made->SetChannelInterfaceType(channel.interfaceType);
    if (channel.interfaceType == PEX_PUBLICCALL) {
        channelInternal.SetPublicCallInfo(made, CallInfo(channel.call));
        channelInternal.SetTreeCountMode(made, channel.call.treeCountMode);
    }
    if (channel.interfaceType == PEX_PARAMETER)
        channelInternal.SetParameterInfo(made, channel.parameterIndex);
    if (!channel.usesPool.empty()) {
        made->SetIfUsePoolChannel(true);
        channelInternal.AddPoolToChannel(made, channel.usesPool.c_str());
    }
    if (!channel.memberOf.empty())
        engine->engineInterfaceExt->GetChannelPoolManagement()->CreatePoolItem(channel.memberOf.c_str(),
                                                                               made);
}

// Builds the group in the engine's table (pools take members of registered groups only).
std::string Build(EngineInterface* engine, const Group& plan, Tev_ChannelGroup& group) {
    std::vector<Tev_Channel*> made;
    for (const Channel& channel : plan.channels) {
        Tev_Channel* created = engine->InitChannelFromType(TypeOf(channel.kind), nullptr, false);
        if (!created) return "no channel of a test type (are the test plug-ins built?)";
        group.AddChannel(created);
        Configure(engine, created, channel);
        made.push_back(created);
    }
    for (const Link& link : plan.links) made[link.parent]->SetChild(made[link.child], -1, link.position);
    for (int p = 0; p < plan.parameters; p++) group.AddParameterInfo(Parameter(p));
    return "";
}

std::string Save(EngineInterface* engine, Tev_ChannelGroup& group) {
    TevFileSaver saver(engine);
    if (!saver.OpenMemory() || !group.SaveChannelGroup(saver)) return "";  // closes the stream
    const char* bytes = saver.GetBuffer();
    return bytes ? std::string(bytes, saver.GetBufferSize()) : "";
}

std::string WriteGroup(EngineInterface* engine, const Plan& plan, int file, const std::string& dir,
                       WrittenSet& written) {
    Tev_ChannelGroup* group = engine->CreateNewGroup(kBuildPool, false, -1);
    if (!group) return "the build group was not made";
    std::string problem = Build(engine, plan.groups[file], *group);
    group->SetPoolName(StoredPoolName(file).c_str());
    const std::string saved = problem.empty() ? Save(engine, *group) : "";
    written.guids[file] = group->GetUniqueGroupGuid();
    engine->DeleteChannelGroup(group->GetGroupIndex());
    if (!problem.empty()) return problem;
    if (saved.empty()) return "the group was not saved";
    if (!WriteBinaryFile(dir + "/" + FileName(file),
                         WithExtraBlocks(engine, saved, plan.groups[file].extras)))
        return "cannot write " + FileName(file);
    return "";
}

// Offsets of the top-level tags of a tagged stream: a tag is four printable bytes, each of
// its blocks a size word (last byte below 0x20) and that many bytes.
std::vector<std::pair<std::string, size_t>> Tags(const std::string& bytes) {
    std::vector<std::pair<std::string, size_t>> tags;
    const auto word = [&](size_t at, int byte) { return static_cast<unsigned char>(bytes[at + byte]); };
    size_t at = 0;
    while (at + 4 <= bytes.size()) {
        bool tag = true;
        for (int i = 0; i < 4; i++) tag = tag && word(at, i) >= 0x20 && word(at, i) <= 0x7E;
        if (!tag) break;
        tags.emplace_back(bytes.substr(at, 4), at);
        at += 4;
        while (at + 4 <= bytes.size() && word(at, 3) < 0x20) {
            const size_t size =
                word(at, 0) | word(at, 1) << 8 | word(at, 2) << 16 | size_t(word(at, 3)) << 24;
            at += 4 + size;
        }
    }
    return tags;
}

std::string Encoded(EngineInterface* engine, const ExtraBlock& extra) {
    TevFileSaver saver(engine);
    if (!saver.OpenMemory()) return "";
    saver.SaveTag(extra.tag.c_str());
    saver.SaveBlockSize(static_cast<unsigned long>(extra.data.size()));
    saver.SaveDataToFile(extra.data.data(), static_cast<unsigned long>(extra.data.size()));
    saver.CloseSaveFile();
    const char* bytes = saver.GetBuffer();
    return bytes ? std::string(bytes, saver.GetBufferSize()) : "";
}

}  // namespace

std::string WithExtraBlocks(EngineInterface* engine, const std::string& saved,
                            const std::vector<ExtraBlock>& extras) {
    // Where each channel entry ends: at the next entry's index, the last one at the start channel.
    std::vector<size_t> ends;
    bool first = true;
    for (const auto& [tag, offset] : Tags(saved)) {
        if (tag == groupfileformat::kChannelIndex && !first) ends.push_back(offset);
        if (tag == groupfileformat::kChannelIndex) first = false;
        if (tag == groupfileformat::kStartChannel) ends.push_back(offset);
    }
    std::string out;
    size_t copied = 0;
    for (size_t entry = 0; entry < ends.size(); entry++) {
        out += saved.substr(copied, ends[entry] - copied);
        copied = ends[entry];
        for (const ExtraBlock& extra : extras)
            if (extra.after == static_cast<int>(entry)) out += Encoded(engine, extra);
    }
    return out + saved.substr(copied);
}

std::string WriteSet(EngineInterface* engine, const Plan& plan, const std::string& dir, WrittenSet& written) {
    written.guids.assign(plan.groups.size(), _GUID{});
    for (int file = 0; file < static_cast<int>(plan.groups.size()); file++)
        if (std::string problem = WriteGroup(engine, plan, file, dir, written); !problem.empty())
            return FileName(file) + ": " + problem;
    written.project = dir + "/project.vtr";
    const ProjectBlocks blocks = {{projectformat::kHeader, {vtr::IntData(1)}},
                                  {projectformat::kStartGroup, {vtr::NameData(FileName(0))}}};
    return WriteProject(engine, written.project, blocks) ? "" : "cannot write the project";
}

}  // namespace tarnwell_test::groupset
