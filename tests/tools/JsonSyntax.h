// Whether a text is one well-formed JSON value (RFC 8259), read where no other reader can run:
// a Windows test under wine cannot wait for the Linux python3.
#pragma once

#include <cctype>
#include <cstring>
#include <string>

namespace tooltest {

class JsonSyntax {
public:
    // "" when the text is one JSON value with nothing but white space around it; otherwise
    // where it went wrong and what was expected there.
    static std::string Problem(const std::string& text) {
        JsonSyntax reader(text);
        if (reader.Value(0) && (reader.Space(), reader.at == text.size())) return "";
        return "offset " + std::to_string(reader.at) + ": expected " +
               (reader.expected ? reader.expected : "the end");
    }

private:
    explicit JsonSyntax(const std::string& text) : text(text) {}

    // Deep enough for any output of the programs, shallow enough for the stack.
    static constexpr int kMaxDepth = 200;

    char Peek() const { return at < text.size() ? text[at] : '\0'; }
    void Space() {
        while (at < text.size() && std::strchr(" \t\r\n", text[at]) && text[at]) ++at;
    }
    bool Fail(const char* what) {
        expected = what;
        return false;
    }
    bool Take(char c) {
        if (Peek() != c) return false;
        ++at;
        return true;
    }
    bool Digits() {
        const size_t start = at;
        while (Peek() >= '0' && Peek() <= '9') ++at;
        return at > start || Fail("a digit");
    }
    bool Word(const char* word) {
        if (text.compare(at, std::strlen(word), word) != 0) return Fail("a value");
        at += std::strlen(word);
        return true;
    }

    bool Value(int depth) {
        Space();
        if (depth > kMaxDepth) return Fail("less nesting");
        switch (Peek()) {
            case '{':
                return Members(depth, '}', true);
            case '[':
                return Members(depth, ']', false);
            case '"':
                return String();
            case 't':
                return Word("true");
            case 'f':
                return Word("false");
            case 'n':
                return Word("null");
            default:
                return Number();
        }
    }

    // An object's "name": value pairs or an array's values, separated by commas.
    bool Members(int depth, char close, bool named) {
        ++at;
        Space();
        if (Take(close)) return true;
        do {
            Space();
            if (named && !(String() && (Space(), Take(':')))) return Fail(expected ? expected : "':'");
            if (!Value(depth + 1)) return false;
            Space();
        } while (Take(','));
        return Take(close) || Fail(named ? "',' or '}'" : "',' or ']'");
    }

    bool String() {
        if (!Take('"')) return Fail("a string");
        while (Peek() != '"') {
            const unsigned char c = static_cast<unsigned char>(Peek());
            if (at >= text.size() || c < 0x20) return Fail("'\"' or a character that needs no escape");
            ++at;
            if (c != '\\') continue;
            if (Take('u')) {
                for (int i = 0; i < 4; ++i, ++at)
                    if (!std::isxdigit(static_cast<unsigned char>(Peek()))) return Fail("four hex digits");
            } else if (!std::strchr("\"\\/bfnrt", Peek()) || !Peek()) {
                return Fail("an escape: \\\" \\\\ \\/ \\b \\f \\n \\r \\t or \\u");
            } else {
                ++at;
            }
        }
        ++at;
        return true;
    }

    bool Number() {
        Take('-');
        if (!Take('0') && !(Peek() >= '1' && Peek() <= '9' && Digits())) return Fail("a value");
        if (Take('.') && !Digits()) return false;
        if ((Take('e') || Take('E')) && !((Take('+') || Take('-') || true) && Digits())) return false;
        return true;
    }

    const std::string& text;
    size_t at = 0;
    const char* expected = nullptr;
};

}  // namespace tooltest
