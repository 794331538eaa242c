// A channel plug-in to copy: one channel type with two link positions, a value of its own kept
// in a block after the kernel's channel record, and every write result checked. Built out of
// tree against the installed kernel package (CMakeLists.txt beside it); docs/PluginGuide.md
// walks through it.
#include "Tarnwell.h"

namespace {

// {5A3C1E20-7B4D-4F1A-9C2E-0D1F2A3B4C5D}: made once (uuidgen) and never changed, since group
// files name the type by it. A copied GUID makes the engine ignore the second plug-in.
constexpr _GUID kSampleTypeGuid = {
    0x5A3C1E20, 0x7B4D, 0x4F1A, {0x9C, 0x2E, 0x0D, 0x1F, 0x2A, 0x3B, 0x4C, 0x5D}};

// Link positions: what SetChild's third argument names.
constexpr int kFirstChild = 0;
constexpr int kSecondChild = 1;

// The tag of the channel's own block; four letters, unique within the channel's record.
constexpr char kCallsTag[] = "SMPC";

class SampleChannel : public Tev_Channel {
public:
    SampleChannel() {
        DeclarePosition(kFirstChild, "first");
        DeclarePosition(kSecondChild, "second");
    }

    // Runs both children, then counts the call; once per pass, however many parents call it.
    void CallChannel() override {
        if (!CheckRenderCount()) return;
        for (int position = kFirstChild; position <= kSecondChild; ++position)
            if (Tev_Channel* child = GetChildFromLinkPosition(position, 0)) child->CallChannel();
        ++calls;
    }

    // The kernel's record first, then the own block; a failed write fails the group's save.
    bool SaveChannel(TevFileSaver& saver) override {
        return Tev_Channel::SaveChannel(saver) && TevSaveInt32Block(saver, kCallsTag, calls);
    }

    // Read back in the order written. A missing block (a file of an older version) or one of
    // another size keeps the default; blocks this version does not know are skipped by the group.
    bool LoadChannel(TevFileLoader& loader, Tev_ChannelGroup* group) override {
        if (!Tev_Channel::LoadChannel(loader, group)) return false;
        return TevLoadInt32Block(loader, kCallsTag, calls) != TEV_BLOCK_FAILED;
    }

private:
    // A position taking one child of this type (requestLink: its own number; -1 takes many).
    void DeclarePosition(int position, const char* name) {
        ChildCreation creation;
        creation.channelType.typeGuid = kSampleTypeGuid;
        creation.channelType.baseGuid = kSampleTypeGuid;
        creation.requestLink = position;
        std::strncpy(creation.linkName, name, sizeof(creation.linkName) - 1);
        SetChildCreateType(creation, position);
    }

    int32_t calls = 0;  // how often the engine ran this channel, kept in the group file
};

}  // namespace

// The entry points, with the plug-in's own version 2.52.7: the first and third numbers belong to
// the plug-in (raise them with each release: a project saved with a newer version replaces an
// older local copy by the one it carries); the second is the channel interface. The type is its
// own base.
TARNWELL_CHANNEL_PLUGIN_VERSION(SampleChannel, "Sample Channel", kSampleTypeGuid, kSampleTypeGuid, 2, 7)
