// How values are spelled in the text form: quoted text, integers, GUIDs in registry form and
// hex bytes. Formatting and parsing live together so the two spellings cannot drift apart.
#pragma once

#include <string>

#include "TagStream.h"
#include "TagTable.h"
#include "TarnwellTypes.h"
#include "format/GuidText.h"

namespace tagtext {

using ::GuidText;

// "hex:" followed by two upper-case digits per byte.
std::string FormatHex(const Bytes& bytes);

// Double-quoted; printable ASCII as is except '"' and '\', every other byte as \xHH.
std::string FormatQuoted(const Bytes& bytes);

// The spelling of one field's bytes (exactly field.width of them); false when the bytes
// have no typed spelling that gives them back unchanged (the caller falls back to hex).
bool FormatField(const Field& field, const Bytes& bytes, std::string& out);

// Zero-terminated text of any length: the quoted text without its terminator; false unless
// the bytes end in their only zero byte.
bool FormatTerminatedText(const Bytes& bytes, std::string& out);

// The parsing counterparts. On failure, `expected` says what the token should have been.
bool ParseHex(const std::string& token, Bytes& out, std::string& expected);
bool ParseQuoted(const std::string& token, Bytes& out, std::string& expected);
bool ParseField(const Field& field, const std::string& token, Bytes& out, std::string& expected);
bool ParseTerminatedText(const std::string& token, Bytes& out, std::string& expected);

// A short name of what a field kind's value looks like, for messages.
std::string DescribeField(const Field& field);

}  // namespace tagtext
