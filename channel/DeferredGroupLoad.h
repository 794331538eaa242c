// Private: a public call that wants its target's group while another group is loading asks the
// engine to load it once that load is complete, instead of loading it inside the load under
// way. Implemented by the engine (EngineGroupLoads.cpp).
#pragma once

class EngineInterface;

namespace grouploads {

struct Request {
    const char* path;  // complete path of the group file
    const char* poolName;
    const char* fileName;    // as the public call names it
    const char* callerFile;  // the public call's own group file; may be NULL
};

// True when the load is queued (or was already, for that pool name); the group comes in before
// the outermost load returns. False when no group is loading: the caller loads now.
bool DeferWhileLoading(EngineInterface* engine, const Request& request);

}  // namespace grouploads
