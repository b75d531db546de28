#include "Inspect.h"

#include "platform/MessageBox.h"
#include "shell/LoadError.h"

#include <CLI/CLI.hpp>

#include <cstdio>
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
    turnMessageBoxesOff();
    CLI::App app("Loads one part of a demo exactly as the player does and prints it.",
                 "demo-inspect");
    app.require_subcommand(1);
    for (const Subcommand& command : subcommands) {
        if (!command.name)
            continue;
        CLI::App* sub = app.add_subcommand(command.name, std::string("demo-inspect ") +
                                                             command.name + " " + command.usage);
        // Each subcommand reads its own arguments (its options included), in order.
        sub->allow_extras();
        sub->positionals_at_end(false);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError&) {
        return usage();
    }
    for (const Subcommand& command : subcommands) {
        if (!command.name || !app.got_subcommand(command.name))
            continue;
        try {
            return command.run(app.get_subcommand(command.name)->remaining());
        } catch (const LoadError& error) {
            std::fprintf(stderr, "%s\n", error.what());
            return 1;
        }
    }
    return usage();
}
