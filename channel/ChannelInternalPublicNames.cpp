// Unique names of public channels within their group: Light, Light(02) ... Light(50),
// Light(50)(02) ...
#include <algorithm>
#include <set>
#include <string>

#include "ChannelInternal.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"

namespace {

const char kFirstSuffix[] = "(02)";
const size_t kSuffixLength = sizeof(kFirstSuffix) - 1;
const int kHighestNumber = 50;

// "(nn)" at the end: the number read from its two characters (reading stops at a non-digit).
bool ReadSuffixNumber(const std::string& name, int& number) {
    size_t length = name.size();
    if (length < kSuffixLength || name[length - 1] != ')' || name[length - kSuffixLength] != '(')
        return false;
    number = 0;
    for (size_t i = length - 3; i < length - 1 && name[i] >= '0' && name[i] <= '9'; ++i)
        number = number * 10 + (name[i] - '0');
    return true;
}

std::string Folded(std::string name) {
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return name;
}

// The next name to try. A name near the length limit has no room for the suffix: its base is
// shortened, further each time the result was already tried, so that every step tries a new
// name and the renaming ends after at most one step per public channel of the group.
std::string NextPublicName(const std::string& name, const std::set<std::string>& tried) {
    int number = 0;
    std::string next;
    if (ReadSuffixNumber(name, number) && number + 1 <= kHighestNumber) {
        std::string digits = std::to_string(number + 1);
        if (digits.size() < 2) digits.insert(0, "0");
        next = name.substr(0, name.size() - 3) + digits + ")";
    } else {
        next = name + kFirstSuffix;
    }
    if (next.size() <= TEV_CHANNEL_NAME_LENGTH && !tried.count(Folded(next))) return next;
    for (size_t keep = std::min(name.size(), TEV_CHANNEL_NAME_LENGTH - kSuffixLength); keep > 0; --keep) {
        next = name.substr(0, keep) + kFirstSuffix;
        if (!tried.count(Folded(next))) return next;
    }
    return std::string();
}

}  // namespace

void ChannelInternal::DoPublicChannelNameCheck(Tev_Channel* channel) {
    if (!channel || !channel->channelGroup || !channel->channelName) return;
    if (channel->channelInterfaceType != PEX_PUBLIC &&
        channel->channelInterfaceType != PEX_PUBLICCUSTOMCHANNELGET)
        return;
    std::set<std::string> tried;
    while (channel->channelGroup->CheckDuplicatePublicChannelName(channel)) {
        std::string name = channel->channelName;
        tried.insert(Folded(name));
        std::string next = NextPublicName(name, tried);
        if (next.empty()) return;
        channel->SetChannelName(next.c_str());
    }
}
