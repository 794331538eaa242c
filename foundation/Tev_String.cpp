// Owned narrow and wide text.
#include "Tev_String.h"

#include <cstring>

#include "TarnwellTypes.h"
#include "foundation/PathText.h"
#include "platform/Text.h"

namespace {

// A copy of s with room for its length plus two units; an empty s gives an
// allocated empty text.
template <typename Char>
Char* Duplicate(const Char* s, size_t length) {
    Char* copy = new Char[length + 2];
    std::memcpy(copy, s, sizeof(Char) * length);
    copy[length] = 0;
    return copy;
}

template <typename Char>
Char* Concatenate(const Char* a, size_t lengthA, const Char* b, size_t lengthB) {
    Char* joined = new Char[lengthA + lengthB + 2];
    std::memcpy(joined, a, sizeof(Char) * lengthA);
    std::memcpy(joined + lengthA, b, sizeof(Char) * lengthB);
    joined[lengthA + lengthB] = 0;
    return joined;
}

}  // namespace

Tev_String::Tev_String() : text(nullptr), wideText(nullptr) {}

Tev_String::~Tev_String() {
    delete[] text;
    delete[] wideText;
}

const char* Tev_String::GetString() const { return text; }

const unsigned short* Tev_String::GetWString() const { return wideText; }

// The copy is made before the old text is freed: callers hand a string its own text back
// (a group re-reading its own file name), which must not read freed memory.
void Tev_String::SetString(const char* s) {
    char* copy = s ? Duplicate(s, std::strlen(s)) : nullptr;
    delete[] text;
    text = copy;
}

void Tev_String::SetWString(const unsigned short* s) {
    unsigned short* copy = s ? Duplicate(s, platform::WcsLen(s)) : nullptr;
    delete[] wideText;
    wideText = copy;
}

void Tev_String::AddString(const char* s) {
    if (!s) return;
    if (!text) {
        SetString(s);
        return;
    }
    const size_t added = std::strlen(s);
    if (added == 0) return;
    char* joined = Concatenate(text, std::strlen(text), s, added);
    delete[] text;
    text = joined;
}

void Tev_String::AddString(const unsigned short* s) {
    if (!s) return;
    if (!wideText) {
        SetWString(s);
        return;
    }
    const size_t added = platform::WcsLen(s);
    if (added == 0) return;
    unsigned short* joined = Concatenate(wideText, platform::WcsLen(wideText), s, added);
    delete[] wideText;
    wideText = joined;
}

void Tev_String::SetMaxCars(int n) {
    if (n < 1) return;
    const size_t limit = static_cast<size_t>(n);
    if (text && std::strlen(text) > limit) text[limit] = 0;
    if (wideText && platform::WcsLen(wideText) > limit) wideText[limit] = 0;
}

void Tev_String::StrLwr() {
    platform::StrLwr(text);
    platform::WcsLwr(wideText);
}

void Tev_String::StrUpr() {
    platform::StrUpr(text);
    platform::WcsUpr(wideText);
}

// Position 0 is never examined, so "\name.dll" stays as it is.
char* Tev_String::MakeFULLName(char* path) {
    if (!path) return path;
    char work[MAX_PATH];
    platform::CopyText(work, path);
    if (const char* separator = pathtext::LastSeparator(work, 1))
        std::memmove(path, separator + 1, std::strlen(separator + 1) + 1);
    return path;
}
