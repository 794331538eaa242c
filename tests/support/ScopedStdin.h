// Standard input replaced for a while, for code that asks the user on a terminal.
#pragma once

namespace tarnwell_test {

// Replaces standard input with the given descriptor (or the null device for -1); restores it.
class ScopedStdin {
public:
    explicit ScopedStdin(int fd = -1);
    ~ScopedStdin();
    ScopedStdin(const ScopedStdin&) = delete;
    ScopedStdin& operator=(const ScopedStdin&) = delete;

private:
    int saved;
};

}  // namespace tarnwell_test
