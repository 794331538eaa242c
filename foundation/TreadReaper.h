// Private: keeps track of which worker threads may still touch a body, so a
// body is deleted only once no worker can read it any more.
#pragma once

#include <mutex>

class Tev_RunTread;

namespace tread_reaper {

// Counts a worker that is about to start on the body (before the system
// thread exists, so the worker can never finish unseen).
void WorkerStarting(Tev_RunTread* body);
// The system thread could not be made after all.
void WorkerGone(Tev_RunTread* body);
// Called by the entry function after its last access to the body. Deletes the
// body when it was handed over with Dispose and this was its last worker.
void WorkerFinished(Tev_RunTread* body);
// Deletes the body once no worker touches it any more: at once on the
// calling thread when its workers have already finished (waiting up to
// graceMs for them), otherwise later on the thread of its last worker.
// Answers true when the body was deleted before returning.
bool Dispose(Tev_RunTread* body, unsigned graceMs);

// Guards the link between a body and its owner: held while a worker reads the
// owner's flag and while the owner is attached or detached, so a handle that
// has detached its body is never read by that body's worker again.
std::mutex& OwnerLinkLock();

}  // namespace tread_reaper
