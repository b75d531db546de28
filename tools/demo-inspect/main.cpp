#include "Inspect.h"

#include "shell/LoadError.h"

#include <cstdio>
#include <cstring>
#include <exception>

struct Subcommand {
    const char* name;
    const char* usage;
    int (*run)(const InspectArgs& args);
};

int inspectEnvelope(const InspectArgs& args);
int inspectMesh(const InspectArgs& args);
int inspectImage(const InspectArgs& args);
int inspectTimeline(const InspectArgs& args);
int inspectScene(const InspectArgs& args);
int inspectCombiners(const InspectArgs& args);

// Every subcommand registers here, in the order `demo-inspect` lists them.
static const Subcommand subcommands[] = {
    {"envelope", "FILE --at T1,T2,...", inspectEnvelope},
    {"mesh", "ROOT TEXDIR OBJECTNAME", inspectMesh},
    {"image", "FILE", inspectImage},
    {"timeline", "CONFIG", inspectTimeline},
    {"scene", "ROOT TEXDIR SCENESDIR NAME [--at T1,T2,...]", inspectScene},
    {"combiners", "FILE [--limit N] [--no-combiners2]", inspectCombiners},
    {nullptr, nullptr, nullptr},
};

static int usage()
{
    std::fprintf(stderr, "usage: demo-inspect SUBCOMMAND ARGS...\n");
    for (const Subcommand& command : subcommands)
        if (command.name)
            std::fprintf(stderr, "  demo-inspect %s %s\n", command.name, command.usage);
    return 2;
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    for (const Subcommand& command : subcommands) {
        if (!command.name || std::strcmp(command.name, argv[1]) != 0)
            continue;
        try {
            return command.run(InspectArgs(argv + 2, argv + argc));
        } catch (const LoadError& error) {
            std::fprintf(stderr, "%s\n", error.what());
            return 1;
        }
    }
    return usage();
}
