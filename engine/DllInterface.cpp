// Base of every plug-in channel object, and the globals of the plug-in entry.
#include "DllInterface.h"

EngineInterface* globalEngine = nullptr;
HINSTANCE globalDllInstance = nullptr;

DllInterface::DllInterface() : dllInstance(globalDllInstance), engineInterface(globalEngine) {}

DllInterface::~DllInterface() {}
