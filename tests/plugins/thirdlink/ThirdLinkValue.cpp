#include "ThirdLinkValue.h"

extern "C" __attribute__((visibility("default"))) int ThirdLinkValue() { return 3; }
