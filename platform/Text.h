// Text routines with the semantics of the Windows runtime functions the kernel relies on.
// Every routine writing into a caller's buffer is bounded by its size and always terminates.
#pragma once

#include <cstddef>

namespace platform {

// _gcvt: `digits` significant digits (1..99 used), decimal notation when the decimal
// exponent lies in [-4, digits), else exponent notation "d.ddde+XX"/"d.ddde-XX" (sign and
// at least two exponent digits). Trailing zeros after the point are dropped but the point
// stays: 42 -> "42.", 0 -> "0.", 0.5 -> "0.5", 1e20 with 5 digits -> "1.e+20". Negative zero
// prints as "-0.", infinities and NaN as "inf", "-inf", "nan". Answers buffer.
char* Gcvt(double value, int digits, char* buffer, size_t size);
// _itoa: base 2..36, lower-case digits; base 10 writes a sign, other bases the 32-bit
// two's complement pattern. Answers buffer ("" for an invalid base).
char* Itoa(int value, char* buffer, size_t size, int radix);

// In-place ASCII case conversion (_strlwr, _strupr, _wcslwr, _wcsupr); NULL is accepted.
char* StrLwr(char* text);
char* StrUpr(char* text);
unsigned short* WcsLwr(unsigned short* text);
unsigned short* WcsUpr(unsigned short* text);
size_t WcsLen(const unsigned short* text);

// Case-insensitive compare (_stricmp, _strnicmp): <0, 0, >0 as for lower-cased bytes.
int StrICmp(const char* a, const char* b);
int StrNICmp(const char* a, const char* b, size_t count);
// StrStrIA: first case-insensitive occurrence of needle in haystack, or NULL
// (an empty needle or NULL argument answers NULL, as the shell routine does).
const char* StrStrI(const char* haystack, const char* needle);

// PathCanonicalizeA: removes "." elements and resolves ".." against the element before it
// (".." above the start is dropped). Separators may be '\' or '/' and are kept as written.
// False (out "" when size > 0) when the result does not fit.
bool PathCanonicalize(char* out, size_t size, const char* path);

// Bounded copy and append, always terminated (when size > 0). Answer true when nothing was cut.
bool CopyText(char* dest, size_t size, const char* src);
bool AppendText(char* dest, size_t size, const char* src);
// Copies at most `count` characters of src, bounded by size.
bool CopyTextN(char* dest, size_t size, const char* src, size_t count);

// The same into a fixed array, the bound taken from the array itself.
template <size_t N>
bool CopyText(char (&dest)[N], const char* src) {
    return CopyText(dest, N, src);
}
template <size_t N>
bool AppendText(char (&dest)[N], const char* src) {
    return AppendText(dest, N, src);
}
template <size_t N>
bool CopyTextN(char (&dest)[N], const char* src, size_t count) {
    return CopyTextN(dest, N, src, count);
}

}  // namespace platform
