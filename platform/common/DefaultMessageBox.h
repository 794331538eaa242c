// The system's own way of showing a message box when no host took boxes over (private to the
// platform layer).
#pragma once

namespace platform {

void ShowMessageBoxByDefault(const char* caption, const char* text, unsigned style);

}  // namespace platform
