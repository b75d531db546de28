#include "platform/CommandLine.h"
#include "platform/MessageBox.h"
#include "shell/LoadError.h"
#include "shell/Startup.h"

#include <algorithm>
#include <string_view>
#include <vector>

int main(int argc, char** argv)
{
    // "--stats" is the player's one flag; every other argument is part of the configuration's
    // file name, as before.
    std::vector<const char*> arguments(argv, argv + argc);
    const auto stats = std::remove_if(arguments.begin() + 1, arguments.end(),
                                      [](std::string_view a) { return a == "--stats"; });
    const bool showStats = stats != arguments.end();
    arguments.erase(stats, arguments.end());

    // Declared outside the try so that the message is shown before anything is torn down.
    DemoSession session;
    try {
        session.start(joinCommandLine(static_cast<int>(arguments.size()), arguments.data()),
                      showStats);
        return session.run();
    } catch (const LoadError& error) {
        showMessage("Loading Error", error.what(), MessageIcon::Error);
        return 1;
    }
}
