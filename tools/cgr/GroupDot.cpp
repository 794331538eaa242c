#include "GroupDot.h"

#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ChannelInternal.h"
#include "ChannelPoolManagement.h"
#include "ChannelRecords.h"
#include "ChildInfo.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "Tev_String.h"

namespace cgrdot {

namespace {

// Control characters: C0, DEL and C1. Graphviz writes latin1 text into its SVG as it is, and
// none of them may stand in XML.
bool IsControl(unsigned char c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// A quoted DOT string. The graph is declared latin1, so every other byte is a valid character;
// control characters would break the layout and the picture, and become spaces.
std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += IsControl(static_cast<unsigned char>(c)) ? ' ' : c;
    }
    return out + "\"";
}

// Lines of a label, each quoted on its own and joined with DOT's line break.
std::string Label(const std::vector<std::string>& lines) {
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = Quote(lines[i]);
        joined += line.substr(1, line.size() - 2) + (i + 1 < lines.size() ? "\\n" : "");
    }
    return "\"" + joined + "\"";
}

std::string Field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string NodeId(Tev_Channel* channel) { return "c" + std::to_string(channel->GetChannelIDIndexNr()); }

struct Cluster {
    std::string pool;  // the pool's path
    std::vector<Tev_Channel*> members;
};

class DotWriter {
public:
    DotWriter(EngineInterface* engine, Tev_ChannelGroup* group) : engine(engine), group(group) {}

    std::string Write(const std::string& title) {
        CollectPools();
        out = "digraph " + Quote(title) + " {\n";
        out +=
            "  graph [charset=\"latin1\", rankdir=LR, compound=true, labelloc=t, fontname=\"Helvetica\", "
            "label=" +
            Label(GroupLines(title)) + "];\n";
        out += "  node [shape=box, style=rounded, fontname=\"Helvetica\", fontsize=11];\n";
        out += "  edge [fontname=\"Helvetica\", fontsize=9];\n";
        WriteClusters();
        for (Tev_Channel* channel : Channels())
            if (!clusterOf.count(channel)) out += "  " + Node(channel) + "\n";
        for (Tev_Channel* channel : Channels()) WriteEdges(channel);
        WriteTargets();
        return out + "}\n";
    }

private:
    std::vector<Tev_Channel*> Channels() const {
        std::vector<Tev_Channel*> channels;
        for (int i = 0; i < group->GetChannelCount(); ++i)
            if (Tev_Channel* channel = group->GetChannel(i)) channels.push_back(channel);
        return channels;
    }

    std::vector<std::string> GroupLines(const std::string& title) const {
        std::vector<std::string> lines = {title};
        const char* pool = group->GetPoolName();
        if (pool && pool[0]) lines.push_back("group " + std::string(pool));
        std::string parameters;
        for (int i = 0; i < group->GetParameterCount(); ++i)
            parameters += (i ? ", " : "") + std::to_string(i) + " " + ParameterName(i);
        if (!parameters.empty()) lines.push_back("parameters: " + parameters);
        return lines;
    }

    std::string ParameterName(int position) const {
        ParameterInterfaceInfo info = group->GetParameterInfo(position);
        return Field(info.name, sizeof(info.name));
    }

    // Pools as clusters: each pool with members in this group, a member drawn in its first.
    // Pools nest as deep as their paths are long, so the walk keeps its own stack and one
    // path that grows and shrinks with it.
    void CollectPools() {
        ChannelPoolManagement* pools = engine->engineInterfaceExt->GetChannelPoolManagement();
        if (!pools) return;
        for (int i = 0; i < pools->GetMainGroupPoolItemCount(); ++i)
            CollectTree(pools->GetMainGroupPoolItem(i));
    }

    struct Visit {
        PoolItem* item;
        size_t parentPathLength;
        int nextSubPool;
    };

    void CollectTree(PoolItem* top) {
        if (!top) return;
        std::string path;
        std::vector<Visit> stack;
        EnterPool(top, path, stack);
        while (!stack.empty()) {
            Visit& visit = stack.back();
            if (visit.nextSubPool >= visit.item->subPoolItems->GetItemCount()) {
                path.resize(visit.parentPathLength);
                stack.pop_back();
                continue;
            }
            auto* sub = static_cast<PoolItem*>(visit.item->subPoolItems->GetItem(visit.nextSubPool++));
            if (sub) EnterPool(sub, path, stack);
        }
    }

    void EnterPool(PoolItem* item, std::string& path, std::vector<Visit>& stack) {
        const size_t parentPathLength = path.size();
        if (!stack.empty()) path += '@';
        path += Field(item->name, sizeof(item->name));
        stack.push_back({item, parentPathLength, 0});
        Cluster cluster;
        for (int i = 0; i < item->channels->GetItemCount(); ++i) {
            Tev_Channel* channel = static_cast<Tev_Channel*>(item->channels->GetItem(i));
            if (!channel || channel->GetChannelGroup() != group) continue;
            if (cluster.members.empty()) cluster.pool = path;
            cluster.members.push_back(channel);
            memberships[channel].push_back(path);
            clusterOf.emplace(channel, clusters.size());
        }
        if (!cluster.members.empty()) clusters.push_back(std::move(cluster));
    }

    void WriteClusters() {
        for (size_t k = 0; k < clusters.size(); ++k) {
            out += "  subgraph cluster_pool" + std::to_string(k) + " {\n";
            out += "    label=" + Label({"pool " + clusters[k].pool}) + "; style=dashed; color=gray40;\n";
            for (Tev_Channel* channel : clusters[k].members)
                if (clusterOf.at(channel) == k) out += "    " + Node(channel) + "\n";
            out += "  }\n";
        }
    }

    std::string Role(Tev_Channel* channel) const {
        switch (channel->GetChannelInterfaceType()) {
            case PEX_PUBLIC:
                return "public";
            case PEX_PUBLICCALL:
                return "public call";
            case PEX_PARAMETER: {
                ParameterInfo* info = channelInternal.GetParameterInfo(channel);
                const int index = info ? info->index : 0;
                return "parameter " + std::to_string(index) + " " + ParameterName(index);
            }
            case PEX_CUSTOMCHANNELGET:
                return "custom";
            case PEX_PUBLICCUSTOMCHANNELGET:
                return "public, custom";
            default:
                return "";
        }
    }

    std::string Node(Tev_Channel* channel) {
        const int index = channel->GetChannelIDIndexNr();
        const bool start = index == group->GetStartChannel();
        const char* name = channel->GetChannelName();
        std::vector<std::string> lines = {name ? name : "", channel->GetChannelType().typeName};
        std::string role = Role(channel);
        std::string info =
            "#" + std::to_string(index) + (start ? ", start" : "") + (role.empty() ? "" : ", " + role);
        lines.push_back(info);
        const std::vector<std::string>& pools = memberships[channel];
        for (size_t i = 1; i < pools.size(); ++i) lines.push_back("also in pool " + pools[i]);
        for (const std::string& pool : UnclusteredPoolUses(channel)) lines.push_back("uses pool " + pool);
        std::string style = "rounded";
        if (start) style += ",bold";
        if (channel->GetChannelInterfaceType() == PEX_PUBLICCALL) style += ",dashed";
        std::string node = NodeId(channel) + " [id=\"channel" + std::to_string(index) +
                           "\", class=\"channel\", label=" + Label(lines) + ", style=\"" + style + "\"";
        if (role.compare(0, 6, "public") == 0 && channel->GetChannelInterfaceType() != PEX_PUBLICCALL)
            node += ", peripheries=2";
        return node + "];";
    }

    std::vector<std::string> PoolUses(Tev_Channel* channel) const {
        std::vector<std::string> names;
        ChannelPoolInfo* info = channelInternal.GetChannelPoolInfo(channel);
        if (!info || !info->poolNames) return names;
        for (int i = 0; i < info->poolNames->GetItemCount(); ++i) {
            Tev_String* name = static_cast<Tev_String*>(info->poolNames->GetItem(i));
            if (name && name->GetString()) names.push_back(name->GetString());
        }
        return names;
    }

    // The cluster an edge to a used pool points at; -1 when there is none to point at.
    int UsedCluster(Tev_Channel* channel, const std::string& pool) const {
        for (size_t k = 0; k < clusters.size(); ++k) {
            if (!SameName(clusters[k].pool, pool)) continue;
            auto own = clusterOf.find(channel);
            // An edge into the cluster the channel sits in cannot be clipped at its border.
            return own != clusterOf.end() && own->second == k ? -1 : static_cast<int>(k);
        }
        return -1;
    }

    std::vector<std::string> UnclusteredPoolUses(Tev_Channel* channel) const {
        std::vector<std::string> names;
        for (const std::string& pool : PoolUses(channel))
            if (UsedCluster(channel, pool) < 0) names.push_back(pool);
        return names;
    }

    void WriteEdges(Tev_Channel* channel) {
        for (int i = 0; i < channel->GetChildCount(); ++i) {
            ChildInfo* entry = channelInternal.GetChildInfo(channel, i);
            Tev_Channel* child = entry ? entry->channel : nullptr;
            if (!child || child->GetChannelGroup() != group) continue;
            std::string label = std::to_string(entry->linkPosition);
            if (!entry->isLinkHead) label += "[" + std::to_string(entry->nodeCount) + "]";
            out += "  " + NodeId(channel) + " -> " + NodeId(child) + " [label=" + Quote(label) + "];\n";
        }
        for (const std::string& pool : PoolUses(channel)) {
            const int k = UsedCluster(channel, pool);
            if (k < 0) continue;
            out += "  " + NodeId(channel) + " -> " + NodeId(clusters[k].members.front()) +
                   " [lhead=cluster_pool" + std::to_string(k) + ", style=dotted, label=\"uses pool\"];\n";
        }
        if (channel->GetChannelInterfaceType() == PEX_PUBLICCALL) WritePublicCall(channel);
    }

    void WritePublicCall(Tev_Channel* channel) {
        PublicCallInfo info = channelInternal.GetPublicCallInfo(channel);
        const std::string file = Field(info.fileName, sizeof(info.fileName));
        const std::string pool = Field(info.poolName, sizeof(info.poolName));
        const std::string key = file + '\n' + pool;
        if (!targets.count(key)) targets.emplace(key, targets.size());
        std::string how = info.autoLoadGroup          ? ", autoload"
                          : info.dynamicAutoLoadGroup ? ", background autoload"
                                                      : "";
        out += "  " + NodeId(channel) + " -> g" + std::to_string(targets.at(key)) +
               " [style=dashed, label=" + Quote(Field(info.channelName, sizeof(info.channelName)) + how) +
               "];\n";
    }

    void WriteTargets() {
        for (const auto& target : targets) {
            const size_t newline = target.first.find('\n');
            const std::string file = target.first.substr(0, newline), pool = target.first.substr(newline + 1);
            out += "  g" + std::to_string(target.second) + " [id=\"group" + std::to_string(target.second) +
                   "\", class=\"group\", shape=folder, style=solid, label=" + Label({"group " + pool, file}) +
                   "];\n";
        }
    }

    EngineInterface* engine;
    Tev_ChannelGroup* group;
    std::string out;
    std::vector<Cluster> clusters;
    std::map<Tev_Channel*, size_t> clusterOf;                      // the cluster a channel is drawn in
    std::map<Tev_Channel*, std::vector<std::string>> memberships;  // every pool a channel is in
    std::map<std::string, size_t> targets;                         // file and pool of a target -> node number
};

}  // namespace

std::string GroupToDot(EngineInterface* engine, Tev_ChannelGroup* group, const std::string& title) {
    return DotWriter(engine, group).Write(title);
}

}  // namespace cgrdot
