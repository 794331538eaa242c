// Base of every plug-in channel object, and the globals a plug-in reads
// while its InitDLL runs.
#pragma once

#include "TarnwellExport.h"
#include "TarnwellTypes.h"

class EngineInterface;

// Set by the engine, under its DLL init lock, just before it calls a
// plug-in's InitDLL: the engine and the module the new channel belongs to.
extern TARNWELL_API EngineInterface* globalEngine;
extern TARNWELL_API HINSTANCE globalDllInstance;

class TARNWELL_API DllInterface {
public:
    // Copies globalDllInstance and globalEngine, so a channel knows its
    // engine while its own constructor runs.
    DllInterface();
    virtual ~DllInterface();

    HINSTANCE dllInstance;
    EngineInterface* engineInterface;
};

// The two plain exports of every channel plug-in.
typedef void* (*TevInitDLLFunction)();
typedef void* (*TevGetTypeFunction)();
