// Channel dependencies: the channel types and DLLs a channel relies on, each type once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ChannelRecords.h"
#include "Tev_List.h"
#include "Tev_String.h"
#include "group/TableGroupFixture.h"
#include "fixtures/dependtest/DependTestChannels.h"

namespace {

struct Entry {
    _GUID type;
    std::vector<std::string> dlls;
};

bool operator==(const Entry& a, const Entry& b) { return a.type == b.type && a.dlls == b.dlls; }

std::ostream& operator<<(std::ostream& out, const Entry& entry) {
    out << std::hex << entry.type.Data1 << std::dec << "{";
    for (const std::string& dll : entry.dlls) out << dll << " ";
    return out << "}";
}

class ChannelDependencies : public TableGroupTest {
protected:
    ~ChannelDependencies() override { Clear(); }

    void Clear() {
        for (int i = 0; i < list.GetItemCount(); i++) delete static_cast<ChannelDependency*>(list.GetItem(i));
        list.ClearItems();
    }

    // Asks a fresh channel of the type for its dependencies, adding them to the list.
    void Ask(const _GUID& type) {
        Tev_Channel* channel = Api()->InitChannelFromType(type, nullptr, false);
        ASSERT_NE(channel, nullptr);
        channelInternal.GetChannelDepenency(channel, &list);
        delete channel;
    }

    std::vector<Entry> Listed() const {
        std::vector<Entry> entries;
        for (int i = 0; i < list.GetItemCount(); i++) {
            ChannelDependency* dependency = static_cast<ChannelDependency*>(list.GetItem(i));
            Entry entry{dependency->channelTypeGuid, {}};
            for (int j = 0; j < dependency->dllNames.GetItemCount(); j++)
                entry.dlls.push_back(static_cast<Tev_String*>(dependency->dllNames.GetItem(j))->GetString());
            entries.push_back(entry);
        }
        return entries;
    }

    Tev_List list;
};

}  // namespace

TEST_F(ChannelDependencies, EveryTypeIsListedOnceBeforeWhatItNames) {
    struct Case {
        const char* what;
        _GUID type;
        std::vector<Entry> expected;
    };
    const Entry root{kDepRootGuid, {"rootextra.dll"}};
    const Case cases[] = {
        {"root type: own entry, then its additions; an uninstalled type is left out",
         kDepRootGuid,
         {root, {kTestRootGuid, {}}}},
        {"derived type: own entry, base entry, then the base's additions before its own",
         kDepDerivedGuid,
         {{kDepDerivedGuid, {"derivedextra.dll"}}, root, {kTestRootGuid, {}}, {kTestLinksGuid, {}}}},
        {"a type naming itself", kDepSelfGuid, {{kDepSelfGuid, {"selfextra.dll"}}}},
        {"types naming each other", kDepCycleAGuid, {{kDepCycleAGuid, {}}, {kDepCycleBGuid, {}}}},
        {"base types forming a cycle", kDepBaseAGuid, {{kDepBaseAGuid, {}}, {kDepBaseBGuid, {}}}},
    };
    for (const Case& c : cases) {
        Clear();
        Ask(c.type);
        EXPECT_EQ(Listed(), c.expected) << c.what;
    }
}

TEST_F(ChannelDependencies, AskingTwiceAddsNothing) {
    Ask(kDepDerivedGuid);
    std::vector<Entry> first = Listed();
    Ask(kDepDerivedGuid);
    EXPECT_EQ(Listed(), first);
    channelInternal.GetChannelDepenency(nullptr, &list);
    EXPECT_EQ(Listed(), first);
}
