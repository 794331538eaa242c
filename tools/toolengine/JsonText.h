// JSON text for the programs' --json output and the player's trace.
#pragma once

#include <string>

namespace toolengine {

// JSON string literal of any bytes: invalid UTF-8 becomes U+FFFD.
std::string JsonQuote(const std::string& text);

}  // namespace toolengine
