// The timing and the texts of --watch, in one place.
#pragma once

// A file is reloaded once it has had no change for this long: the writes of one save end
// well within it, and an author does not notice it.
constexpr long long kWatchQuietMicros = 150000;
// How often files without the system's notices (and the group table) are looked at.
constexpr long long kWatchPollMicros = 250000;

// vantor-player: watching FILE (notices|polled)
constexpr const char kWatchFollowing[] = "watching";
// vantor-player: reloaded FILE (N channels, X ms)
constexpr const char kWatchReloaded[] = "reloaded";
// vantor-player: reload of FILE failed, the running group stays: REASON
constexpr const char kWatchKept[] = "failed, the running group stays:";
constexpr const char kWatchUnreadable[] = "the file cannot be read";
constexpr const char kWatchTooLarge[] = "the file is too large to load";
constexpr const char kWatchNoReason[] = "the group does not load";
// After a load that passed its trial on a spare group and failed on the running one.
constexpr const char kWatchHalfLoaded[] = "the running group is left as far as the load got";
