// Changes of the process environment that every module of the process sees (the kernel, the
// plug-ins and the test itself read it through the C runtime).
#pragma once

#include <string>

namespace tarnwell_test {

// Between the directories of "PATH".
extern const char kPathListSeparator;

// Sets name to value; NULL removes it. Windows keeps no empty variables: "" removes it there too.
void SetEnvironment(const char* name, const char* value);

// Sets (or, for NULL, removes) an environment variable; restores it at destruction.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name;
    std::string previous;
    bool hadPrevious;
};

}  // namespace tarnwell_test
