#include "scene/Bone.h"
#include "scene/ItemReaders.h"

#include "anim/Motion.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"

std::unique_ptr<Bone> readBoneBlock(MappedTextFile& file)
{
    auto bone = std::make_unique<Bone>();
    if (file.readWordView() != "AddBone")
        throw LoadError("Not AddBone");
    // Name, display, activity and strength settings: not used.
    file.skipWords(7);
    if (file.readWordView() != "BoneRestPosition")
        throw LoadError("Not BoneRestPosition");
    for (float& coordinate : bone->restPosition)
        file.readFloat(coordinate);
    // A misplaced rest direction reports the rest position too: there is no message of its own.
    if (file.readWordView() != "BoneRestDirection")
        throw LoadError("Not BoneRestPosition");
    file.readFloat(bone->restHeading);
    file.readFloat(bone->restPitch);
    file.readFloat(bone->restBank);
    file.skipWords(12);
    if (file.readWordView() != "BoneMotion")
        throw LoadError("Not BoneMotion");
    bone->motion = parseMotion(file);
    if (file.readWordView() != "ParentItem")
        throw LoadError("Bone without Parent");
    bone->parentRef = parseParentRef(file);
    return bone;
}
