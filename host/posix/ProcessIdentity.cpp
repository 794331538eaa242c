#include "ProcessIdentity.h"

#include <sys/syscall.h>
#include <unistd.h>

long CurrentProcessId() { return static_cast<long>(getpid()); }

long CurrentThreadId() { return static_cast<long>(syscall(SYS_gettid)); }
