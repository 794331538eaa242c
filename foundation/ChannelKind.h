// Private: whether a plug-in's channel is of the kind the kernel is about to use it as. A type
// GUID names a plug-in, not a class: a file or a damaged cache can make the kernel create any
// installed channel for it, and calling another class's operation through that slot runs
// whatever sits there. The kind classes keep their type information in the kernel, so the test
// holds for channels of every module.
#pragma once

#include "EngineInterface.h"
#include "FileLoaderChannels.h"
#include "PluginChannels.h"

namespace channelkind {

// The channel as Kind (a class of PluginChannels.h or FileLoaderChannels.h), or NULL when it is
// of another class or NULL.
template <class Kind>
Kind* As(Tev_Channel* channel) {
    return dynamic_cast<Kind*>(channel);
}

// The engine's dynamic loading channel; NULL when none is installed or the unique channel made
// for its type is not one.
Pex_DynamicLoadingChannel* DynamicLoader(EngineInterface* engine);

}  // namespace channelkind
