// Names against a wildcard, as a Unix shell matches file names: '*' any run, '?' any one
// character, "[a-z]" / "[!a-z]" / "[[:digit:]]" one character of (not of) a set; a leading '.'
// of the name only by a '.' of the pattern. Byte for byte, letter case counts; '\' is an
// ordinary character (the lister has made it a separator before).
#pragma once

namespace wildcard {

bool Matches(const char* pattern, const char* name);

}  // namespace wildcard
