#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What a conversion left out, filled in or changed, by kind: each kind with its count and the
// keywords or names it covered, in the order first met.
class ConversionReport {
public:
    enum class Section { Dropped, Defaulted, Changed };

    struct Entry {
        Section section = Section::Dropped;
        std::string kind;
        std::size_t count = 0;
        std::vector<std::string> names; // distinct, first met first
    };

    void add(Section section, std::string_view kind, std::string_view name = {});
    void dropped(std::string_view kind, std::string_view name = {})
    {
        add(Section::Dropped, kind, name);
    }
    void defaulted(std::string_view line)
    {
        add(Section::Defaulted, "written with a default", line);
    }
    void changed(std::string_view kind, std::string_view name = {})
    {
        add(Section::Changed, kind, name);
    }

    const std::vector<Entry>& entries() const { return list; }
    // The entry of a kind, or null.
    const Entry* find(std::string_view kind) const;
    std::size_t count(Section section) const;

    // One line per kind: "dropped  3  IK and path-align lines: GoalStrength, IKSoftMin".
    std::string details() const;

private:
    std::vector<Entry> list;
};
