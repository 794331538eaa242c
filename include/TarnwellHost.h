// Hooks for hosts (players, editors, tests) that start an engine, replace what a desktop
// would provide, see how long the kernel's work takes, and check a project before running it.
#pragma once

#include "TarnwellExport.h"

class DebugOutPut;
class EngineControl;
class EngineInterface;
class Tev_Channel;
class Tev_ChannelGroup;

extern "C" {

// Receives every message box the kernel shows (error log type-3 messages, fallback boxes).
typedef void (*TevMessageBoxHandler)(const char* caption, const char* text, unsigned style);

// Installs a message box handler and answers the previous one (NULL when the default was in
// place); NULL restores the default handler, which writes caption and text to standard error.
TARNWELL_API TevMessageBoxHandler TevSetMessageBoxHandler(TevMessageBoxHandler handler);

// --- Trace -------------------------------------------------------------------------------

// What a traced span of work was.
enum TevTraceKind {
    TEV_TRACE_GROUP_LOAD = 1,       // a channel group read from its file; name: the file
    TEV_TRACE_GROUP_MAKE = 2,       // a channel group made from bytes read before (a background
                                    // load reaching its frame); name: the group's file
    TEV_TRACE_BACKGROUND_READ = 3,  // a group file read on a worker thread; name: the file
    TEV_TRACE_PLUGIN_LOAD = 4,      // a plug-in module loaded and its first channel made; name: the module
    TEV_TRACE_PLUGIN_TYPE = 5       // a plug-in module loaded for its type record and freed again
};

// Called once a span of work is over, on the thread that did it (worker threads included,
// so the handler must be thread-safe). Times are microseconds of the monotonic clock
// (std::chrono::steady_clock, also answered by TevTraceClock). `name` is valid during the call only.
typedef void (*TevTraceHandler)(int kind, const char* name, long long startMicros, long long endMicros);

// Installs a trace handler and answers the previous one; NULL switches tracing off, which
// leaves the kernel one pointer test per traced span. Set it before the work to trace starts
// and clear it only once the engine is gone: a worker may be calling the old one.
TARNWELL_API TevTraceHandler TevSetTraceHandler(TevTraceHandler handler);
// The trace clock, in microseconds.
TARNWELL_API long long TevTraceClock(void);
// For plug-ins that work on their own threads: passes a span to the handler, if one is set.
TARNWELL_API void TevTraceSpan(int kind, const char* name, long long startMicros, long long endMicros);

// --- Project check ----------------------------------------------------------------------

// What a run of the project would find for one thing it needs.
enum TevCheckVerdict {
    TEV_CHECK_OK = 0,       // in place and loads
    TEV_CHECK_RESTORE = 1,  // missing, older or different here; the project carries a copy a run
                            // writes into the install directory before it loads
    TEV_CHECK_FAILED = 2    // a run would not load it
};

// What a check line is about.
enum TevCheckSubject {
    TEV_CHECK_PROJECT = 0,      // the project file itself; name: its path
    TEV_CHECK_PLUGIN = 1,       // a channel plug-in the project lists; name: type name or GUID
    TEV_CHECK_DLL = 2,          // a DLL in 3rd/ the project lists; name: its file name
    TEV_CHECK_GROUP = 3,        // a channel group; name: its file
    TEV_CHECK_PUBLIC_CALL = 4,  // a public call and its target group; name: "group file: call name"
    TEV_CHECK_CHANNEL_TYPE = 5, // a channel type the loaded groups use; name: type name
    TEV_CHECK_DEPENDENCY = 6    // a DLL a channel type declares it needs in 3rd/; name: its file name
};

// One line of a check. Texts are never NULL ("" when there is nothing to say) and valid
// during the call only.
struct TevCheckItem {
    int subject;         // TevCheckSubject
    int verdict;         // TevCheckVerdict
    const char* name;
    const char* where;   // the file it was found in, or where it belongs
    const char* detail;  // versions, checksums, targets
    const char* reason;  // why it is restored or fails
};

typedef void (*TevCheckHandler)(const TevCheckItem* item, void* context);

// Checks the project at `projectPath` as loading it would, without running a frame and
// without changing the install directory: every plug-in and DLL it lists (found where,
// version and checksum against the project's, why not), its start group, every public call
// of the loaded groups and whether its target group loads, the channel types the groups use
// and the DLLs they declare. `control` must be started (InitEngine); its loaded groups are
// released before and after. Answers the worst verdict of all lines, or -1 when `control` is
// not started or `projectPath` is NULL.
TARNWELL_API int TevCheckProject(EngineControl* control, const char* projectPath, TevCheckHandler handler,
                                 void* context);

// --- Restores ---------------------------------------------------------------------------

// One file a project load wrote into the install directory from the copy the project carries.
// Texts are never NULL and valid during the call only.
struct TevRestoreItem {
    int subject;         // TEV_CHECK_PLUGIN or TEV_CHECK_DLL
    const char* name;    // the plug-in's type name (its file name or GUID when none is known), or the DLL's name
    const char* path;    // the file written
    int replaced;        // 1: a file of that name was there and is replaced; 0: there was none
    const char* detail;  // versions and checksums, as a check shows them
    const char* reason;  // why the load wrote it
};

typedef void (*TevRestoreHandler)(const TevRestoreItem* item, void* context);

// Installs the handler that hears of every file a project load writes (EngineControl::LoadProject
// on the host's thread), whether or not the loader's own messages are shown; NULL switches it
// off. Process-wide, like the trace handler: set it before the load and clear it afterwards.
TARNWELL_API void TevSetRestoreHandler(TevRestoreHandler handler, void* context);

// The engine interface version of the loaded kernel (the one projects are checked against).
TARNWELL_API int TevEngineInterfaceVersion(void);

// --- Group walk -------------------------------------------------------------------------

// What a step of a group walk met.
enum TevWalkStepKind {
    TEV_WALK_START_GROUP = 0,   // the start group
    TEV_WALK_LOADING_CALL = 1,  // a public call that loads its target group (at once or in the background)
    TEV_WALK_WAITING_CALL = 2   // a public call that loads nothing itself and waits for its group
};

// One step. Texts are never NULL and valid during the call only.
struct TevWalkItem {
    int step;                 // TevWalkStepKind
    Tev_ChannelGroup* group;  // the group reached; NULL when it did not load, and for a waiting call
    Tev_Channel* call;        // the public call; NULL for the start group
    const char* file;         // the file the group is loaded from ("" for a waiting call)
    int loadedBefore;         // the group was in already, loaded with another group
    int missing;              // there is no file at `file`
    const char* reason;       // why the group did not load, in the kernel's words; "" when it did
};

typedef void (*TevWalkHandler)(const TevWalkItem* item, void* context);

// Walks the groups a run loads from the start group at `startGroupPath`, as TevCheckProject
// walks them: the start group, then the target group of every public call of a walked group
// that loads one, each loaded now and left loaded (EngineInterfaceExt::ReleaseGroups frees
// them); the calls that load nothing themselves come last. Answers the number of groups
// walked, or -1 when `control` is not started or `startGroupPath` is NULL.
TARNWELL_API int TevWalkProjectGroups(EngineControl* control, const char* startGroupPath, TevWalkHandler handler,
                                      void* context);

// --- Public calls -----------------------------------------------------------------------

// Room for any path TevPublicCallTargetFile writes.
enum { TEV_TARGET_FILE_SIZE = 300 };

// Where a public call's target group comes from when the call loads it: the file name of its
// record taken relative to the file of the call's own group. The group is the pool the record
// names. Writes the path into `path` (`size` at least TEV_TARGET_FILE_SIZE; "" when the name
// makes no path) and answers 1; answers 0 when the call names no file a load would read (a
// name shorter than 2 characters, or a group without a file), -1 for no public call.
TARNWELL_API int TevPublicCallTargetFile(Tev_Channel* call, char* path, unsigned size);

// --- Channels no installed plug-in makes ----------------------------------------------
// With keep non-zero, groups this engine loads keep what no installed plug-in reads: a channel
// of a type no plug-in makes loads as a placeholder that does nothing (it reports itself once
// when called) and keeps its type, name, links and every byte of its entry; blocks a plug-in
// leaves unread (a file of a newer version of it) are kept too. Saving the group writes all of
// it back unchanged, so that the group loads whole where the plug-in is installed. With 0 (the
// default) such a channel fails the load. Answers the previous setting, or -1 for no engine.
TARNWELL_API int TevSetKeepUnknownChannels(EngineInterface* engine, int keep);

// --- Engine start-up --------------------------------------------------------------------

// Receives one kernel message (type TEV_MESSAGE_*, see DebugMessages.h) of an engine started
// by a TevEngineHost, on the thread that sent it. `text` is valid during the call only.
typedef void (*TevMessageHandler)(int type, const char* text, void* context);

// What TevEngineHost::Start answers.
enum TevHostStart {
    TEV_HOST_STARTED = 0,
    TEV_HOST_NO_CONTROL = 1,  // no EngineControl could be made (out of memory)
    TEV_HOST_NOT_STARTED = 2  // InitEngine refused: see TevEngineHost::Failure
};
}

// An engine started the way every host starts one, with the kernel's messages passed to the
// host. The engine runs from a successful Start to Stop (or the host object's end):
//
//   TevEngineHost host;
//   host.SetMessageHandler(&OnMessage, &myLog, true);  // optional
//   if (host.Start(installDir, "SOFTWARE\\MyHost", "My Host") != TEV_HOST_STARTED)
//       report(host.Failure());
//   host.Control()->LoadProject(); ...
//
// The kernel refuses an install directory that is missing, no directory or longer than it can
// hold; Failure() then says so in the kernel's words. The message boxes a start shows are also
// passed on to the box handler in place (TevSetMessageBoxHandler). One host at a time may run an
// engine with a message handler: the kernel has one message sink.
class TARNWELL_API TevEngineHost {
public:
    TevEngineHost();
    ~TevEngineHost();  // stops the engine
    TevEngineHost(const TevEngineHost&) = delete;
    TevEngineHost& operator=(const TevEngineHost&) = delete;

    // Where the messages of the next Start go: to `handler` (NULL: none), and on to the engine's
    // own sink (error.log, the message-type boxes) when `forward` is true, as without a handler.
    // The handler hears the messages from the end of the start to the end of the shutdown.
    void SetMessageHandler(TevMessageHandler handler, void* context, bool forward);
    // Whether the handler also hears what the next Start says (the plug-in scan: a module that
    // does not load, with the loader's reason); off unless asked for.
    void SetHearStart(bool hear);
    // Makes an EngineControl and starts it in `installDir` under the registry key; answers
    // TevHostStart. A started host answers TEV_HOST_STARTED again; a failed one may try again.
    int Start(const char* installDir, const char* registryKey, const char* className);
    // Shuts the engine down; the handler hears what the shutdown says, then nothing more.
    void Stop();

    EngineControl* Control() const;   // NULL unless started
    EngineInterface* Engine() const;  // NULL unless started
    DebugOutPut* EngineSink() const;  // the engine's own sink (the error log); NULL unless started
    // Why the last Start failed, one line; "" after a successful one.
    const char* Failure() const;

private:
    struct State;
    State* state;
};
