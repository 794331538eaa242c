#include "foundation/TreadReaper.h"

#include <chrono>
#include <condition_variable>
#include <unordered_map>

#include "Tev_Tread.h"

namespace tread_reaper {
namespace {

struct Entry {
    int workers = 0;        // workers that may still touch memory at this address
    bool disposed = false;  // the last of them deletes the body
};

// Keyed by address: a body deleted right after its worker set the ready flag
// may be followed by a new body at the same address while the old worker
// has not yet reported; counting workers per address keeps that correct.
struct Ledger {
    std::mutex lock;
    std::condition_variable finished;
    std::unordered_map<const Tev_RunTread*, Entry> entries;
};

// Never destroyed: workers may still report while the process exits.
Ledger& TheLedger() {
    static Ledger* ledger = new Ledger;
    return *ledger;
}

// Lowers the count; answers true when the body must now be deleted.
bool Release(Ledger& ledger, Tev_RunTread* body) {
    auto it = ledger.entries.find(body);
    if (it == ledger.entries.end()) return false;
    if (--it->second.workers > 0) return false;
    bool disposed = it->second.disposed;
    ledger.entries.erase(it);
    return disposed;
}

}  // namespace

void WorkerStarting(Tev_RunTread* body) {
    Ledger& ledger = TheLedger();
    std::lock_guard<std::mutex> guard(ledger.lock);
    ledger.entries[body].workers++;
}

void WorkerGone(Tev_RunTread* body) {
    Ledger& ledger = TheLedger();
    std::lock_guard<std::mutex> guard(ledger.lock);
    // Only CreateTread reports this, on the host's thread, so the body cannot
    // be waiting for disposal at the same time.
    Release(ledger, body);
    ledger.finished.notify_all();
}

void WorkerFinished(Tev_RunTread* body) {
    Ledger& ledger = TheLedger();
    bool deleteNow;
    {
        std::lock_guard<std::mutex> guard(ledger.lock);
        deleteNow = Release(ledger, body);
        ledger.finished.notify_all();
    }
    if (deleteNow) delete body;
}

bool Dispose(Tev_RunTread* body, unsigned graceMs) {
    if (!body) return true;
    Ledger& ledger = TheLedger();
    {
        std::unique_lock<std::mutex> guard(ledger.lock);
        auto busy = [&] {
            auto it = ledger.entries.find(body);
            return it != ledger.entries.end() && it->second.workers > 0;
        };
        if (busy() && graceMs > 0)
            ledger.finished.wait_for(guard, std::chrono::milliseconds(graceMs), [&] { return !busy(); });
        if (busy()) {
            ledger.entries[body].disposed = true;
            return false;
        }
        ledger.entries.erase(body);
    }
    delete body;
    return true;
}

std::mutex& OwnerLinkLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

}  // namespace tread_reaper
