// The library the linking probe module needs (see ../CMakeLists.txt).
#ifdef _WIN32
#define PROBE_LIBRARY_EXPORT extern "C" __declspec(dllexport)
#else
#define PROBE_LIBRARY_EXPORT extern "C" __attribute__((visibility("default")))
#endif

PROBE_LIBRARY_EXPORT int ProbeLibraryValue() { return 7; }
