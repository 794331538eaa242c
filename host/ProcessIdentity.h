// The numbers a trace names the process and its threads by, as the system's own tools show them.
#pragma once

long CurrentProcessId();
long CurrentThreadId();
