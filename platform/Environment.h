// Process environment: reading and changing "PATH" and the form of its entries.
#pragma once

#include <cstddef>

namespace platform {

// Like GetEnvironmentVariableA: copies the value with its terminator into buffer and answers
// its length without the terminator; when it does not fit, answers the size needed including
// the terminator and leaves buffer empty ("" when size > 0); 0 when the variable is not set
// (LastError() = 203, ERROR_ENVVAR_NOT_FOUND).
size_t GetEnvironmentVariable(const char* name, char* buffer, size_t size);

// Sets a variable for the process; a NULL value removes it. False on an invalid name.
bool SetEnvironmentVariable(const char* name, const char* value);

// Separator between the entries of a directory list such as "PATH" (':' or, on Windows, ';').
char PathListSeparator();

}  // namespace platform
