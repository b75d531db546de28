#include "platform/MessageBox.h"
#include "shell/LoadError.h"
#include "shell/PlayerOptions.h"
#include "shell/Startup.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const CommandLineResult commandLine = parsePlayerCommandLine(argc, argv);
    if (!commandLine.options) {
        std::fputs(commandLine.text.c_str(), commandLine.isError ? stderr : stdout);
        return commandLine.exitStatus;
    }
    // Declared outside the try so that the message is shown before anything is torn down.
    DemoSession session;
    try {
        session.start(*commandLine.options);
        return session.run();
    } catch (const LoadError& error) {
        showMessage("Loading Error", error.what(), MessageIcon::Error);
        return 1;
    }
}
