#include "anim/SceneItem.h"

#include "shell/MappedTextFile.h"

#include <array>

ParentRef parentRefFromId(std::uint32_t id)
{
    ParentRef ref;
    ref.kind = static_cast<std::int16_t>(id >> 28);
    if (ref.kind == ParentRef::bone) {
        ref.index = static_cast<std::uint16_t>((id >> 16) & 0x0FFFu);
        ref.objectIndex = static_cast<std::int16_t>(id & 0xFFFFu);
    } else {
        ref.index = static_cast<std::uint16_t>(id & 0xFFFFu);
    }
    return ref;
}

ParentRef parseParentRef(MappedTextFile& file)
{
    std::uint32_t id = 0;
    file.readHex(id);
    return parentRefFromId(id);
}

std::string_view skipControllerLines(MappedTextFile& file, std::string_view word)
{
    static constexpr std::array<std::string_view, 5> keywords = {
        "LockedChannels", "KeyableChannels", "HController", "PController", "BController"};
    for (std::string_view keyword : keywords) {
        if (word == keyword) {
            file.skipWord();
            word = file.readWordView();
        }
    }
    return word;
}
