#include "scene/Material.h"

#include "combiners/EmulatedCombiners.h"

#include <utility>

CombinerList::CombinerList(GLuint displayList, std::unique_ptr<EmulatedCombiners> emulation)
    : list(displayList), emulated(std::move(emulation))
{
}

CombinerList::CombinerList(CombinerList&& other) noexcept
    : list(std::exchange(other.list, 0)), emulated(std::move(other.emulated))
{
}

CombinerList& CombinerList::operator=(CombinerList&& other) noexcept
{
    if (this != &other) {
        if (list != 0)
            glDeleteLists(list, 1);
        list = std::exchange(other.list, 0);
        emulated = std::move(other.emulated);
    }
    return *this;
}

CombinerList::~CombinerList()
{
    if (list != 0)
        glDeleteLists(list, 1);
}
