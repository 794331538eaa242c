// Private: while a large group loads, the links waiting for the next channels are answered by
// writing into parents read long before. This warms, a few channels ahead, what those answers
// will read, one dependent step per channel (see channel/LinkPrefetch.h).
#pragma once

class ChannelRequestIndex;

// Called before the channel at position `next` is read.
void WarmWaitingLinks(const ChannelRequestIndex& requests, int next);
