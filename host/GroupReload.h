// vantor-player --watch: the groups of the running project follow their files. At a frame
// boundary the groups whose file has settled after a change are loaded again in place, so
// the group keeps its slot, pool name and number, and public calls find its new public
// channels. A file that does not load is tried on a spare group first: the running group
// stays as it was, and one line on standard error says why.
#pragma once

#include <string>
#include <vector>

#include "FileWatch.h"

class EngineInterface;
class MessageRelay;
class Tev_ChannelGroup;

class GroupReload {
public:
    GroupReload(EngineInterface* engine, MessageRelay& messages, bool pollOnly);

    // Between two frames: follows the files of the groups in the table and reloads the groups
    // whose file settled after a change. Answers the number of files it reloaded or tried to.
    int AtFrameBoundary(long long nowMicros);

private:
    void FollowTable();
    std::vector<Tev_ChannelGroup*> GroupsOf(const std::string& key);
    void Reload(const std::string& key);
    bool TrialLoad(std::vector<char> bytes, const std::string& key, std::string& reason);
    void Kept(const std::string& key, const std::string& reason);

    EngineInterface* engine;
    MessageRelay& messages;
    FileWatch watch;
    long long nextTableLook = 0;
};
