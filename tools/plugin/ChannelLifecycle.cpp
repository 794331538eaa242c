#include "ChannelLifecycle.h"

#include "EngineInterface.h"
#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "ToolEngine.h"

namespace plugintool {

namespace {

const char kCheckPool[] = "vantor-plugin check";
const char kLoadedPool[] = "vantor-plugin check loaded";
const char kGroupFile[] = "/check.cgr";

// The channel's record as SaveChannel writes it; false when it reported a failed write.
bool SaveRecord(EngineInterface* engine, Tev_Channel* channel, std::string& bytes) {
    TevFileSaver saver(engine);
    if (!saver.OpenMemory()) return false;
    const bool saved = channel->SaveChannel(saver);
    if (saved) bytes.assign(saver.GetBuffer(), saver.GetBufferSize());
    saver.CloseMemory();
    return saved;
}

// Tags of the blocks left after the current position, in order.
std::string UnreadTags(TevFileLoader& loader) {
    std::string tags;
    char tag[5] = {0};
    while (loader.GetTagData(tag) && loader.GetInfoIfTag(tag))
        tags += std::string(tags.empty() ? "" : " ") + tag;
    return tags;
}

size_t FirstDifference(const std::string& a, const std::string& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) i++;
    return i;
}

std::string WithKernel(const std::string& fault, const std::string& said) {
    return said.empty() ? fault : fault + " (the kernel said: " + said + ")";
}

}  // namespace

void ChannelLifecycle::Run(std::vector<std::string>& passed, std::vector<std::string>& faults) {
    EngineInterface* kernel = engine.Engine();
    Tev_ChannelGroup* group = kernel->CreateNewGroup(kCheckPool, false, 0);
    if (!group) {
        faults.push_back(WithKernel("the engine made no group to try the channel in", KernelSaid()));
        return;
    }
    std::string fault;
    const bool made = MakeAndDelete(group, fault);
    if (made)
        passed.push_back("a channel is made with its children and deleted");
    else
        faults.push_back(fault);
    if (made && RecordRoundTrip(group, fault))
        passed.push_back("its record is read back whole and saved again to the same bytes");
    else if (made)
        faults.push_back(fault);
    kernel->DeleteChannelGroup(group->GetGroupIndex());
    // Saving and loading a group says nothing more about a type of which no channel is made.
    if (!made) return;
    fault.clear();
    if (GroupRoundTrip(fault))
        passed.push_back("a group holding it is saved to a file and loaded");
    else
        faults.push_back(fault);
}

bool ChannelLifecycle::MakeAndDelete(Tev_ChannelGroup* group, std::string& fault) {
    KernelSaid();
    Tev_Channel* channel = engine.Engine()->InitChannelFromType(type, group, true);
    if (!channel) {
        fault = WithKernel("no channel of the type could be made", KernelSaid());
        return false;
    }
    // Children made with it stay in the group: the group goes as a whole.
    if (!group->RemoveChannel(channel)) {
        fault = "the group could not delete the channel it made";
        return false;
    }
    return true;
}

bool ChannelLifecycle::RecordRoundTrip(Tev_ChannelGroup* group, std::string& fault) {
    EngineInterface* kernel = engine.Engine();
    Tev_Channel* first = kernel->InitChannelFromType(type, group, false);
    Tev_Channel* second = kernel->InitChannelFromType(type, group, false);
    std::string saved, again;
    if (!first || !second) {
        fault = WithKernel("no channel of the type could be made", KernelSaid());
        return false;
    }
    if (!SaveRecord(kernel, first, saved)) {
        fault = WithKernel("SaveChannel reported a failed write to memory", KernelSaid());
        return false;
    }
    TevFileLoader loader(kernel);
    if (!loader.SetBuffer(&saved[0], static_cast<unsigned long>(saved.size()), true) ||
        !second->LoadChannel(loader, group)) {
        fault = WithKernel("LoadChannel refused the record SaveChannel wrote", KernelSaid());
        return false;
    }
    const std::string unread = UnreadTags(loader);
    if (!unread.empty()) {
        fault = "LoadChannel left blocks of the record unread (lost on loading): " + unread;
        return false;
    }
    if (!SaveRecord(kernel, second, again) || again != saved) {
        fault = "the channel read back saves other bytes than it was read from (first difference at byte " +
                std::to_string(FirstDifference(saved, again)) + ")";
        return false;
    }
    return true;
}

bool ChannelLifecycle::GroupRoundTrip(std::string& fault) {
    EngineInterface* kernel = engine.Engine();
    const std::string path = workDir + kGroupFile;
    Tev_ChannelGroup* group = kernel->CreateNewGroup(kCheckPool, false, 0);
    Tev_Channel* channel = group ? kernel->InitChannelFromType(type, group, true) : nullptr;
    const bool saved = channel && group->SaveChannelGroup(path.c_str());
    if (group) kernel->DeleteChannelGroup(group->GetGroupIndex());
    if (!saved) {
        fault = WithKernel("a group holding the channel was not saved", KernelSaid());
        return false;
    }
    Tev_ChannelGroup* loaded = kernel->LoadChannelGroup(path.c_str(), kLoadedPool);
    if (!loaded) {
        fault = WithKernel("the group file it was saved in does not load", KernelSaid());
        return false;
    }
    kernel->DeleteChannelGroup(loaded->GetGroupIndex());
    return true;
}

std::string ChannelLifecycle::KernelSaid() {
    std::string said;
    for (const std::string& line : engine.Messages()) said += (said.empty() ? "" : "; ") + line;
    engine.ClearMessages();
    return said;
}

}  // namespace plugintool
