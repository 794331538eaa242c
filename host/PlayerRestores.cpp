#include "PlayerRestores.h"

#include <cstdio>

#include "TarnwellHost.h"

RestoreReport::RestoreReport() { TevSetRestoreHandler(&RestoreReport::OnRestore, this); }

RestoreReport::~RestoreReport() { TevSetRestoreHandler(nullptr, nullptr); }

void RestoreReport::OnRestore(const TevRestoreItem* item, void* context) {
    static_cast<RestoreReport*>(context)->count++;
    std::fprintf(stderr, "vantor-player: %s %s (%s %s; %s): %s\n", item->replaced ? "replaced" : "restored",
                 item->path, item->subject == TEV_CHECK_DLL ? "dll" : "plug-in", item->name, item->detail,
                 item->reason[0] ? item->reason : "the project asks for its copy");
}
