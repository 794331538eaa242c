// Group files that cannot be read: every failure gives its messages and result and leaves the
// group as far as loading got. Damaged counts and indices fail the same way instead of
// sizing anything by them.

#include <chrono>
#include <functional>

#include "support/GroupFileSupport.h"

namespace {

const char* const kNotAGroup =
    "The selected file is not a channel group. Most channel group files have the \".cgr\" extension. It "
    "could "
    "also be that the file is corrupt.";
const char* const kBackward =
    "Vantor is backward compatible, this means that it can't load files that have been created with newer "
    "versions of Vantor.";
const char* const kMissingComponent =
    "A channel (component) is used in this channel group that is not installed in your version. It could be "
    "created in a newer version of Vantor or with a different set of components installed. Please contact "
    "the "
    "creator of the channel group and ask him about his Vantor version.";
const char* const kRootGuidText = "7E57C401-7E57-4000-8000-000000000001";
const char* const kMissingGuidText = "7E57C4FF-7E57-4000-8000-0000000000FF";
const _GUID kBeforeGuid = {0xBEF0BEF0, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};

struct FailureRow {
    const char* name;
    std::function<void(FileBuilder&)> file;
    std::vector<std::string> userErrors;
    std::vector<std::string> userInfos;
    std::vector<std::string> errors;
    int channelsKept;  // positions 0..channelsKept-1 hold channels after the failure
};

// The start of a group with one good channel at position 0 and `count` announced.
void Start(FileBuilder& b, int count) { b.Tag("TEVG").Int("CHCO", count).Entry(0, kTestRootGuid, "kept"); }

const FailureRow kRows[] = {
    {"no TEVG",
     [](FileBuilder& b) { b.Int("CHCO", 1); },
     {kNotAGroup},
     {},
     {"Failed loading channel group, buffersize: 12"},
     0},
    {"no CHCO",
     [](FileBuilder& b) { b.Tag("TEVG").Int("CHSC", 0); },
     {},
     {},
     {"Tev_ChannelGroup::LoadChannelGroup: No itemcount"},
     0},
    {"fewer CHIX entries than announced",
     [](FileBuilder& b) {
         Start(b, 2);
         b.Int("CHSC", 0);
     },
     {kNotAGroup},
     {},
     {"Tev_ChannelGroup::LoadChannelGroup: Couldn't find channel index header", kRootGuidText,
      "Loader file : memory.cgr"},
     1},
    {"channel type not installed",
     [](FileBuilder& b) {
         Start(b, 3);
         b.Entry(1, kTestMissingGuid).Entry(2, kTestRootGuid);
     },
     {kMissingComponent},
     {kBackward},
     {"Tev_ChannelGroup::LoadChannelGroup: Couldn't find channel DLL!", kMissingGuidText},
     1},
    {"channel record fails",
     [](FileBuilder& b) {
         Start(b, 2);
         b.Int("CHIX", 1).Guid("CHID", kTestRootGuid).Byte("CHIC", 0).Int("CHLC", 0);
     },
     {kMissingComponent},
     {kBackward},
     {"Couldn't find channel name header", "Tev_ChannelGroup::LoadChannelGroup: Couldn't load channel",
      kRootGuidText},
     2},
    // Damaged counts and indices.
    {"a channel count far beyond the content",
     [](FileBuilder& b) { b.Tag("TEVG").Int("CHCO", 0x7FFFFFFF).Entry(0, kTestRootGuid); },
     {kNotAGroup},
     {},
     {"Tev_ChannelGroup::LoadChannelGroup: Couldn't find channel index header",
      "00000000-0000-0000-0000-000000000000", "Loader file : memory.cgr"},
     0},
    {"an index beyond the channel count",
     [](FileBuilder& b) {
         Start(b, 2);
         b.Entry(1000000, kTestRootGuid);
     },
     {kNotAGroup},
     {},
     {"Tev_ChannelGroup::LoadChannelGroup: Channel index outside the channel count or given twice: 1000000"},
     1},
    {"an index given twice",
     [](FileBuilder& b) {
         Start(b, 2);
         b.Entry(0, kTestRootGuid, "again");
     },
     {kNotAGroup},
     {},
     {"Tev_ChannelGroup::LoadChannelGroup: Channel index outside the channel count or given twice: 0"},
     1},
    {"more parameters than their block holds",
     [](FileBuilder& b) {
         Start(b, 1);
         b.Int("CHSC", 0).Int("CGIC", 1000).Block("CGII", std::string(56, 'a').c_str(), 56);
     },
     {kNotAGroup},
     {},
     {"Tev_ChannelGroup::LoadChannelGroup: More parameters announced than their block holds: 1000"},
     1},
};

class ChannelGroupFileFailure : public GroupFileTest {
protected:
    // A group that had state of its own before the failed load.
    FileGroup* Prepared() {
        FileGroup* group = NewGroup();
        std::vector<char> before = FileBuilder(Api())
                                       .Tag("TEVG")
                                       .Int("CHCO", 0)
                                       .Int("CHSC", 4)
                                       .Int("CGIC", 1)
                                       .Block("CGII", std::string(56, 0).c_str(), 56)
                                       .Text("CINA", "Before")
                                       .Guid("CGGG", kBeforeGuid)
                                       .Bytes();
        EXPECT_TRUE(LoadBuffer(group, before));
        group->SetPoolNr(7);
        engine.ClearMessages();
        return group;
    }

    void ExpectStateKept(FileGroup* group) {
        EXPECT_STREQ(group->GetPoolName(), "Before");
        EXPECT_EQ(group->GetPoolNr(), 7);
        EXPECT_EQ(group->GetUniqueGroupGuid(), kBeforeGuid);
        EXPECT_EQ(group->GetParameterCount(), 0);
        EXPECT_EQ(group->GetStartChannel(), 0);
    }
};

}  // namespace

TEST_F(ChannelGroupFileFailure, EachFailureReportsAndLeavesTheGroupAsFarAsItGot) {
    for (const FailureRow& row : kRows) {
        SCOPED_TRACE(row.name);
        FileGroup* group = Prepared();
        FileBuilder builder(Api());
        row.file(builder);
        std::vector<char> bytes = builder.Bytes();

        EXPECT_FALSE(LoadBuffer(group, bytes));
        EXPECT_EQ(Texts(TEV_MESSAGE_USER_ERROR), row.userErrors);
        EXPECT_EQ(Texts(TEV_MESSAGE_USER_INFO), row.userInfos);
        EXPECT_EQ(Texts(TEV_MESSAGE_ERROR), row.errors);
        for (int i = 0; i < group->GetChannelCount(); i++)
            EXPECT_EQ(group->GetChannel(i) != nullptr, i < row.channelsKept) << "position " << i;
        EXPECT_LE(group->GetChannelCount(), 3);
        EXPECT_STREQ(group->GetChannelGroupFileName(), "memory.cgr");
        ExpectStateKept(group);
    }
}

TEST_F(ChannelGroupFileFailure, MissingFileIsReportedToTheUser) {
    FileGroup* group = Prepared();
    std::string path = Path("absent.cgr");
    EXPECT_FALSE(group->LoadChannelGroupFromFile(path.c_str(), true));
    EXPECT_EQ(Texts(TEV_MESSAGE_USER_ERROR),
              std::vector<std::string>{"The following channel group file could not be loaded: " + path});
    EXPECT_FALSE(group->LoadChannelGroupFromFile(nullptr, true));
    EXPECT_FALSE(group->LoadChannelGroupFromBuffer(nullptr, 0, nullptr, true));
    EXPECT_EQ(engine.Messages().size(), 1u);
    // Nothing was read, so nothing was released.
    EXPECT_EQ(group->GetParameterCount(), 1);
    EXPECT_EQ(group->GetStartChannel(), 4);
}

TEST_F(ChannelGroupFileFailure, UnwritableFileIsReportedAndReadOnlyFilesWarnBeforeSaving) {
    FileGroup* group = NewGroup();
    std::string blocked = Path("no-such-dir/group.cgr");
    EXPECT_FALSE(group->SaveChannelGroup(blocked.c_str()));
    ASSERT_FALSE(Texts(TEV_MESSAGE_ERROR).empty());
    EXPECT_EQ(Texts(TEV_MESSAGE_ERROR).back(), "Couldn't create channel group file: " + blocked);

    std::string path = Path("locked.cgr");
    ASSERT_TRUE(group->SaveChannelGroup(path.c_str()));
    ASSERT_TRUE(tarnwell_test::MakeReadOnly(path));
    FileGroup* loaded = NewGroup();
    ASSERT_TRUE(loaded->LoadChannelGroupFromFile(path.c_str(), true));
    EXPECT_TRUE(loaded->GetReadOnly());
    engine.ClearMessages();
    loaded->SaveChannelGroup(path.c_str());
    EXPECT_EQ(
        Texts(TEV_MESSAGE_USER_WARNING),
        std::vector<std::string>{"This channel group was loaded as a read-only file. The program will try to "
                                 "save it, but this might fail: " +
                                 path});
}

// Counts far above the blocks that follow end the record instead of spinning, and slot numbers
// beyond the link count fail it instead of growing a position by millions of slots.
TEST_F(ChannelGroupFileFailure, DamagedRecordCountsNeitherSpinNorGrow) {
    struct Case {
        const char* name;
        std::function<void(FileBuilder&)> record;
        bool loads;
    };
    const Case cases[] = {
        {"huge pool name count",
         [](FileBuilder& b) {
             b.Int("CHLC", 0).Byte("CHUP", 0).Int("CHNC", 0x7FFFFFFF).Text("CHPN", "pool");
         },
         true},
        {"huge pool item count",
         [](FileBuilder& b) { b.Int("CHLC", 0).Byte("CHUP", 0).Int("CPNC", 0x7FFFFFFF); }, true},
        {"huge link count", [](FileBuilder& b) { b.Int("CHLC", 0x7FFFFFFF).Int("CHLI", -1); }, false},
        {"huge slot number",
         [](FileBuilder& b) { b.Int("CHLC", 1).Int("CHLI", 0).Int("CHUL", 3).Int("CHRP", 50000000); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileBuilder builder(Api());
        builder.Tag("TEVG").Int("CHCO", 2).Entry(0, kTestRootGuid, "child");
        builder.Int("CHIX", 1)
            .Guid("CHID", kTestLinksGuid)
            .Byte("CHIC", 0)
            .Text("CHNA", "parent")
            .Int("CHIT", 0);
        c.record(builder);
        std::vector<char> bytes = builder.Bytes();
        FileGroup* group = NewGroup();
        auto begin = std::chrono::steady_clock::now();
        EXPECT_EQ(LoadBuffer(group, bytes), c.loads);
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(2));
        if (group->GetChannel(1)) {
            EXPECT_LE(group->GetChannel(1)->GetChildCount(), 4);
        }
    }
}
