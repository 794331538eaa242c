// Handles that remember a channel and hand it out only while it still holds its place.
#pragma once

#include "TarnwellTypes.h"

class Tev_Channel;
class EngineInterface;

// Plain handle: group index, index number and pointer must still agree.
class TARNWELL_API GChannel {
public:
    GChannel();

    virtual void SetChannel(Tev_Channel* channel);
    virtual Tev_Channel* GetChannel();

protected:
    int groupIndex;
    int channelIndexNr;
    Tev_Channel* channel;
    EngineInterface* engineInterface;
};

// Also checks the group's identity, accepts channels outside any group and resolves
// indirect channels (public calls, custom getters) to the channel they stand for.
class TARNWELL_API SmartChannel {
public:
    SmartChannel();  // takes globalEngine
    explicit SmartChannel(EngineInterface* engine);

    virtual ~SmartChannel();
    virtual bool SetChannel(Tev_Channel* channel);
    virtual Tev_Channel* GetInternalChannel();
    virtual Tev_Channel* GetChannel();

protected:
    _GUID groupGuid;
    int groupIndex;
    int channelIndexNr;
    Tev_Channel* channel;
    EngineInterface* engineInterface;
};
