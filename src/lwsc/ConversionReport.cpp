#include "lwsc/ConversionReport.h"

#include <algorithm>

namespace {

// Long lists of names say how many more there were instead.
constexpr std::size_t namesShown = 8;

const char* sectionWord(ConversionReport::Section section)
{
    switch (section) {
    case ConversionReport::Section::Dropped:
        return "dropped";
    case ConversionReport::Section::Defaulted:
        return "default";
    case ConversionReport::Section::Changed:
        return "changed";
    }
    return "";
}

} // namespace

void ConversionReport::add(Section section, std::string_view kind, std::string_view name)
{
    auto entry = std::find_if(list.begin(), list.end(), [&](const Entry& e) {
        return e.section == section && e.kind == kind;
    });
    if (entry == list.end())
        entry = list.insert(list.end(), Entry{section, std::string(kind), 0, {}});
    ++entry->count;
    if (!name.empty() &&
        std::find(entry->names.begin(), entry->names.end(), name) == entry->names.end())
        entry->names.emplace_back(name);
}

const ConversionReport::Entry* ConversionReport::find(std::string_view kind) const
{
    for (const Entry& entry : list)
        if (entry.kind == kind)
            return &entry;
    return nullptr;
}

std::size_t ConversionReport::count(Section section) const
{
    std::size_t total = 0;
    for (const Entry& entry : list)
        if (entry.section == section)
            total += entry.count;
    return total;
}

std::string ConversionReport::details() const
{
    std::string text;
    for (Section section : {Section::Dropped, Section::Defaulted, Section::Changed}) {
        for (const Entry& entry : list) {
            if (entry.section != section)
                continue;
            text += std::string(sectionWord(section)) + "  " + std::to_string(entry.count) + "  " +
                    entry.kind;
            for (std::size_t i = 0; i < entry.names.size() && i < namesShown; ++i)
                text += (i == 0 ? ": " : ", ") + entry.names[i];
            if (entry.names.size() > namesShown)
                text += " and " + std::to_string(entry.names.size() - namesShown) + " more";
            text += "\n";
        }
    }
    return text;
}
