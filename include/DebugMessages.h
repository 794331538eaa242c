// Message functors, the message sink and the debug-line functor.
#pragma once

#include "TarnwellExport.h"
#include "TarnwellTypes.h"
#include "Tev_String.h"

class EngineInterface;

// Message types carried by a DebugMessage.
enum {
    TEV_MESSAGE_DEBUG = 0,
    TEV_MESSAGE_ERROR = 1,
    TEV_MESSAGE_INFO = 2,
    TEV_MESSAGE_BOX = 3,
    TEV_MESSAGE_USER_INFO = 4,
    TEV_MESSAGE_USER_WARNING = 5,
    TEV_MESSAGE_USER_ERROR = 6
};

// One message in transit from a functor to the sink; lives for one call only.
class TARNWELL_API DebugMessage {
public:
    DebugMessage();
    virtual ~DebugMessage();
    virtual const char* GetDebugMessage();
    virtual int GetMessageType();
    virtual void SetDebugMessage(const char* text);
    virtual void SetMessageType(int type);

protected:
    Tev_String debugMessage;  // only the narrow form is used
    int messageType;          // set by the producer
};

// The sink interface and do-nothing base. A sink must not keep the message
// pointer after ShowDebugMessage returns.
class TARNWELL_API DebugOutPut {
public:
    DebugOutPut();
    virtual ~DebugOutPut();
    virtual void ShowDebugMessage(DebugMessage* message);
    virtual void SetUseDebug(bool use);

protected:
    bool useDebug;
};

// Where every functor delivers its messages; NULL means no sink.
extern TARNWELL_API DebugOutPut* debugOutPut;

// Message functor base. The operator() forms do nothing while debugOutPut is
// NULL; otherwise they compose one text and pass it to ShowMessage.
class TARNWELL_API ShowDebugMessage {
public:
    ShowDebugMessage();
    virtual ~ShowDebugMessage();
    // Sends text to the sink, or shows a box when there is none.
    virtual void ShowMessage(const char* text);

    void operator()(const char* text);
    void operator()(float x);
    void operator()(int x);
    void operator()(unsigned long x);
    void operator()(double x);
    void operator()(_GUID id);
    void operator()(const char* text, const char* text2);
    void operator()(const char* text, int x);
    void operator()(const char* text, float x);

protected:
    // The shared body of every ShowMessage: type and fallback box caption differ.
    void Deliver(const char* text, int type, const char* caption);
};

class TARNWELL_API ShowErrorMessage : public ShowDebugMessage {
public:
    void ShowMessage(const char* text) override;
};

class TARNWELL_API ShowInfoMessage : public ShowDebugMessage {
public:
    void ShowMessage(const char* text) override;
};

class TARNWELL_API ShowMessageBox : public ShowDebugMessage {
public:
    void ShowMessage(const char* text) override;
};

class TARNWELL_API ShowUserInfoMessage : public ShowDebugMessage {
public:
    void ShowMessage(const char* text) override;
};

class TARNWELL_API ShowUserWarningMessage : public ShowDebugMessage {
public:
    void ShowMessage(const char* text) override;
};

class TARNWELL_API ShowUserErrorMessage : public ShowDebugMessage {
public:
    void ShowMessage(const char* text) override;
};

// Writes short texts into the engine's ten debug lines (0..9); the last
// argument is always the line number. Does nothing without an engine.
class TARNWELL_API ShowDebug {
public:
    explicit ShowDebug(EngineInterface* engine = nullptr);

    void operator()(const char* text, int line);
    void operator()(float x, int line);
    void operator()(int x, int line);
    void operator()(unsigned int x, int line);
    void operator()(double x, int line);
    void operator()(const char* text, float x, int line);
    void operator()(const char* text, int x, int line);
    void operator()(const char* text, const char* text2, int line);

    EngineInterface* engineInterface;

private:
    void Out(const char* text, int line);
};
