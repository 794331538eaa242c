// A module that loads only where its library is found.
extern "C" int ProbeLibraryValue();

extern "C" __attribute__((visibility("default"))) int ProbeAnswer() { return 35 + ProbeLibraryValue(); }
