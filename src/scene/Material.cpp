#include "scene/Material.h"

#include <utility>

CombinerList::CombinerList(CombinerList&& other) noexcept : list(std::exchange(other.list, 0)) {}

CombinerList& CombinerList::operator=(CombinerList&& other) noexcept
{
    if (this != &other) {
        if (list != 0)
            glDeleteLists(list, 1);
        list = std::exchange(other.list, 0);
    }
    return *this;
}

CombinerList::~CombinerList()
{
    if (list != 0)
        glDeleteLists(list, 1);
}
