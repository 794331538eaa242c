#include "TagTable.h"

#include <algorithm>

#include "format/StoredFormats.h"

namespace tagtext {

namespace {

// The formats' tables joined; a tag two formats share is described alike in both (the
// format headers check that), so its first description stands for both.
std::vector<TagInfo> JoinFormats() {
    std::vector<TagInfo> tags;
    for (const formattable::TagTable& table : storedformats::kAll) {
        for (size_t i = 0; i < table.count; ++i) {
            const TagInfo& info = table.tags[i];
            auto same = [&info](const TagInfo& known) { return formattable::SameTag(known.tag, info.tag); };
            if (std::none_of(tags.begin(), tags.end(), same)) tags.push_back(info);
        }
    }
    return tags;
}

std::vector<const RecordLayout*> UsedLayouts() {
    std::vector<const RecordLayout*> layouts;
    for (const TagInfo& info : AllTags())
        if (info.layout && std::find(layouts.begin(), layouts.end(), info.layout) == layouts.end())
            layouts.push_back(info.layout);
    return layouts;
}

const TagInfo kUnknown = formattable::Plain("????", TagKind::Raw);

}  // namespace

const std::vector<TagInfo>& AllTags() {
    static const std::vector<TagInfo> tags = JoinFormats();
    return tags;
}

const std::vector<const RecordLayout*>& AllLayouts() {
    static const std::vector<const RecordLayout*> layouts = UsedLayouts();
    return layouts;
}

const TagInfo& FindTag(const std::string& tag) {
    for (const TagInfo& info : AllTags())
        if (tag == info.tag) return info;
    return kUnknown;
}

}  // namespace tagtext
