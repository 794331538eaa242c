// Owned text with independent narrow and 16-bit wide forms.
#pragma once

#include "TarnwellExport.h"

// The two forms are never converted into each other. An empty text is a
// valid value distinct from NULL.
class TARNWELL_API Tev_String {
public:
    Tev_String();
    virtual ~Tev_String();

    const char* GetString() const;
    const unsigned short* GetWString() const;
    void SetString(const char* s);
    void SetWString(const unsigned short* s);
    void AddString(const char* s);
    void AddString(const unsigned short* s);
    void SetMaxCars(int n);
    void StrLwr();
    void StrUpr();
    // Cuts the caller's buffer down to its last path component; returns path.
    char* MakeFULLName(char* path);

protected:
    char* text;                // NULL when not set
    unsigned short* wideText;  // NULL when not set
};
