// Private: which public calls found which public channel, and where the public channels of
// a group sit. A public channel that leaves tells only the calls that hold it, and a call
// finds its target without a walk over every group and every channel: with many groups
// calling each other both walks made loading and shutting down quadratic.
//
// Nothing here is trusted blindly: every call and channel handed out is first found again at
// its recorded position of a group that is still in the engine's table.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

class Tev_Channel;
class Tev_ChannelGroup;
class Tev_List;
struct PublicCallInfo;

class PublicCallIndex {
public:
    // The engine answered a call's record with this public channel; the call caches it.
    void Found(Tev_Channel* target, const PublicCallInfo* info);
    // A waiting call was answered with this public channel.
    void Answered(Tev_Channel* target, Tev_Channel* call);
    // A public call as a member of a group in the table: the calls of a group are placed when
    // it offers its public channels, the rest when a leaving channel names an unknown record.
    void Place(Tev_Channel* call, Tev_ChannelGroup* group);
    // The call is going, or its record was replaced and its cache emptied.
    void Forget(Tev_Channel* call);
    // The calls that may cache target, each a live member of a group in `groups`; target is
    // forgotten. A record found for no placed call sends one walk over the groups.
    std::vector<Tev_Channel*> TakeHolders(Tev_Channel* target, Tev_List& groups);

    // The public channel last found for this pool name, number and channel name, while its
    // group is still in the table under them and the channel is still there, public and so
    // named; NULL otherwise.
    Tev_Channel* Known(const PublicCallInfo* info, Tev_List& groups);
    void Remember(const PublicCallInfo* info, Tev_ChannelGroup* group, Tev_Channel* channel);
    void ForgetPublicChannel(Tev_Channel* channel);  // it leaves its group or stops being public

    void Clear();

private:
    struct CallPlace {
        Tev_Channel* call = nullptr;  // NULL until placed
        Tev_ChannelGroup* group = nullptr;
        int slot = -1;      // the group's slot in the table
        int position = -1;  // the call's index number in the group
        // Public channels the engine answered it with: nearly always one.
        Tev_Channel* target = nullptr;
        std::vector<Tev_Channel*> moreTargets;
        bool Holds(Tev_Channel* channel) const;
        void Add(Tev_Channel* channel);
        void Drop(Tev_Channel* channel);
    };
    struct ChannelPlace {
        Tev_ChannelGroup* group;
        int slot;
        Tev_Channel* channel;
        int position;
    };

    CallPlace* LivePlace(const PublicCallInfo* info, Tev_List& groups, Tev_ChannelGroup* home);
    void PlaceAll(Tev_List& groups);
    static std::string Key(const PublicCallInfo* info);

    std::unordered_map<const PublicCallInfo*, CallPlace> calls;  // by the call's own record
    // Records answered with a channel. Entries of records forgotten since stay until the
    // channel leaves or the list is swept; only records that still hold the channel count.
    std::unordered_map<Tev_Channel*, std::vector<const PublicCallInfo*>> holders;
    void Sweep(Tev_Channel* target, std::vector<const PublicCallInfo*>& infos);
    std::unordered_map<std::string, ChannelPlace> publicChannels;  // by Key of the calls' record
    std::unordered_map<Tev_Channel*, std::string> publicChannelKeys;
};
