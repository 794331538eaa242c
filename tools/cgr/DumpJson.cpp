#include "DumpJson.h"

#include "JsonText.h"
#include "TextWriter.h"
#include "ValueText.h"

namespace cgr {

std::string DumpJson(const std::string& path, const tagtext::TagStream& stream) {
    using toolengine::JsonQuote;
    std::string text = "{\"file\":" + JsonQuote(path) + ",\"entries\":[";
    for (size_t i = 0; i < stream.entries.size(); ++i) {
        const tagtext::TagEntry& entry = stream.entries[i];
        text += std::string(i ? "," : "") + "\n  {\"tag\":" + JsonQuote(entry.tag) + ",\"blocks\":[";
        for (size_t b = 0; b < entry.blocks.size(); ++b)
            text += (b ? "," : "") + JsonQuote(tagtext::FormatBlock(entry.tag, entry.blocks[b]));
        text += "]}";
    }
    text += "\n],\"damage\":" + (stream.damage.empty() ? std::string("null") : JsonQuote(stream.damage));
    text += ",\"trailing\":" +
            (stream.trailing.empty() ? std::string("null") : JsonQuote(tagtext::FormatHex(stream.trailing)));
    return text + "}\n";
}

}  // namespace cgr
