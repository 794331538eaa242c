// Private. Where exceptions stop. The kernel reports errors and never throws them, but the
// standard library, plain `new` and plug-in code can: an exported call that a host or a
// plug-in makes (a frame, a project or group load, a check), an extern "C" function, a call
// into a plug-in's export and a worker's body catch whatever comes through, report it and
// answer failure. Nothing crosses those edges, so nothing ends the process.
#pragma once

#include <exception>
#include <new>

#include "EngineInterface.h"

namespace boundary {

inline constexpr const char* kOutOfMemory = "out of memory";
inline constexpr const char* kUnknownException = "an unknown exception";

// The text of the exception being handled; only valid inside a catch block.
inline const char* CurrentText() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return kUnknownException;
    }
}

// `what` failed for the exception being handled. Reporting may need memory too: when even
// that fails, the failure answer alone has to tell.
inline void Report(EngineInterface* engine, const char* what) noexcept {
    if (!engine) return;
    try {
        engine->showErrorMessage(what, CurrentText());
    } catch (...) {
    }
}

// The same for an exception that concerns `subject` (a module, a file): told on its own line.
inline void Report(EngineInterface* engine, const char* what, const char* subject) noexcept {
    if (!engine) return;
    try {
        engine->showErrorMessage(what, subject ? subject : "");
        engine->showErrorMessage(CurrentText());
    } catch (...) {
    }
}

// Runs body(); an exception becomes `failed` and a message that names `what`.
template <typename Result, typename Body>
Result Guard(EngineInterface* engine, const char* what, Result failed, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        Report(engine, what);
        return failed;
    }
}

}  // namespace boundary
