// What a run writes into the install directory from the copies a project carries: each file is
// named on standard error with why, whether or not the engine's own log is on, so that a
// project never silently replaces an installed plug-in.
#pragma once

struct TevRestoreItem;

// Listens to the kernel's restore hook while alive.
class RestoreReport {
public:
    RestoreReport();
    ~RestoreReport();
    RestoreReport(const RestoreReport&) = delete;
    RestoreReport& operator=(const RestoreReport&) = delete;

    int Count() const { return count; }

private:
    static void OnRestore(const TevRestoreItem* item, void* context);
    int count = 0;
};
