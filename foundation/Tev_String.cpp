// Owned narrow and wide text.
#include "Tev_String.h"

#include <cstring>
#include <new>

#include "TarnwellTypes.h"
#include "foundation/PathText.h"
#include "platform/Text.h"

namespace {

// A copy of s with room for its length plus two units; an empty s gives an
// allocated empty text. NULL when memory runs out: the string then keeps what it had.
template <typename Char>
Char* Duplicate(const Char* s, size_t length) {
    Char* copy = new (std::nothrow) Char[length + 2];
    if (!copy) return nullptr;
    std::memcpy(copy, s, sizeof(Char) * length);
    copy[length] = 0;
    return copy;
}

template <typename Char>
Char* Concatenate(const Char* a, size_t lengthA, const Char* b, size_t lengthB) {
    Char* joined = new (std::nothrow) Char[lengthA + lengthB + 2];
    if (!joined) return nullptr;
    std::memcpy(joined, a, sizeof(Char) * lengthA);
    std::memcpy(joined + lengthA, b, sizeof(Char) * lengthB);
    joined[lengthA + lengthB] = 0;
    return joined;
}

// Replaces text by text + s; on a failed allocation text stays as it was.
template <typename Char>
void Append(Char*& text, const Char* s, size_t length, size_t added) {
    if (added == 0) return;
    Char* joined = Concatenate(text, length, s, added);
    if (!joined) return;
    delete[] text;
    text = joined;
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
    if (s && !copy) return;
    delete[] text;
    text = copy;
}

void Tev_String::SetWString(const unsigned short* s) {
    unsigned short* copy = s ? Duplicate(s, platform::WcsLen(s)) : nullptr;
    if (s && !copy) return;
    delete[] wideText;
    wideText = copy;
}

void Tev_String::AddString(const char* s) {
    if (!s) return;
    if (!text) {
        SetString(s);
        return;
    }
    Append(text, s, std::strlen(text), std::strlen(s));
}

void Tev_String::AddString(const unsigned short* s) {
    if (!s) return;
    if (!wideText) {
        SetWString(s);
        return;
    }
    Append(wideText, s, platform::WcsLen(wideText), platform::WcsLen(s));
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
    char work[TEV_MAX_PATH];
    platform::CopyText(work, path);
    if (const char* separator = pathtext::LastSeparator(work, 1))
        std::memmove(path, separator + 1, std::strlen(separator + 1) + 1);
    return path;
}
