// Tree-shaped channel groups of test counter channels (fan-out 8, every parent linked to its
// children), built once per size in one started engine and saved to a temporary file. Tree
// nodes are spread over the group's positions by a fixed permutation, so children are saved
// both before and after their parents and loading makes both immediate and deferred links.
#pragma once

#include <cstdio>
#include <map>
#include <set>
#include <memory>
#include <string>

#include "ChannelInternal.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/TestEngine.h"

namespace treefiles {

constexpr int kFanOut = 8;
constexpr long kSpread = 7919;  // prime: coprime to every size used, so the mapping is a permutation

class TreeFiles {
public:
    TreeFiles() {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
        options.forwardToErrorLog = false;
        engine = std::make_unique<tarnwell_test::TestEngine>(options);
    }
    ~TreeFiles() {
        trees.clear();  // the channels go before the engine closes their modules
    }

    EngineInterface* Engine() { return engine->Engine(); }

    // The tree of `count` channels, built once, and saved to Path(count).
    Tev_ChannelGroup* Tree(int count) {
        auto found = trees.find(count);
        if (found != trees.end()) return found->second.get();
        auto group = std::make_unique<Tev_ChannelGroup>(Engine());
        // Placed directly, so that the fixture costs the same whatever adding a channel costs.
        for (int i = 0; i < count; i++) {
            Tev_Channel* channel = Engine()->InitChannelFromType(kTestCounterGuid, nullptr, false);
            channelInternal.SetChannelIDIndexNr(channel, i);
            channelInternal.SetChannelGroup(channel, group.get());
            group->SetChannel(channel, i);
        }
        for (int node = 1; node < count; node++) {
            Tev_Channel* parent = group->GetChannel(Position((node - 1) / kFanOut, count));
            parent->SetChild(group->GetChannel(Position(node, count)), (node - 1) % kFanOut, 0);
        }
        Tev_ChannelGroup* tree = group.get();
        trees[count] = std::move(group);
        tree->SaveChannelGroup(Path(count).c_str());
        saved.insert(count);
        return tree;
    }

    static int Position(int node, int count) { return static_cast<int>(node * kSpread % count); }

    std::string Path(int count) const { return dir.Path() + "/tree" + std::to_string(count) + ".cgr"; }

    long FileSize(int count) const {
        std::FILE* file = std::fopen(Path(count).c_str(), "rb");
        if (!file) return 0;
        std::fseek(file, 0, SEEK_END);
        long size = std::ftell(file);
        std::fclose(file);
        return size;
    }

    // Makes the file of `count` channels without keeping the tree in memory.
    std::string File(int count) {
        if (!saved.count(count)) {
            Tree(count);
            trees.erase(count);
        }
        return Path(count);
    }

private:
    std::unique_ptr<tarnwell_test::TestEngine> engine;
    tarnwell_test::TempDir dir{"tarnwell-treefiles"};
    std::map<int, std::unique_ptr<Tev_ChannelGroup>> trees;
    std::set<int> saved;
};

inline TreeFiles& Shared() {
    static TreeFiles files;
    return files;
}

}  // namespace treefiles
