#include "scene/Material.h"

#include "combiners/EmulatedCombiners.h"

#include <utility>

CombinerList::CombinerList(GlHandle displayList, std::unique_ptr<EmulatedCombiners> emulation)
    : list(std::move(displayList)), emulated(std::move(emulation))
{
}

CombinerList::CombinerList(CombinerList&&) noexcept = default;
CombinerList& CombinerList::operator=(CombinerList&&) noexcept = default;
CombinerList::~CombinerList() = default;
