// A minimal loadable module for the module loading tests.
extern "C" __attribute__((visibility("default"))) int ProbeAnswer() { return 42; }
