#pragma once

// What a command-line tool asks of the terminal it runs in.

// From here on Ctrl-C (SIGINT) and SIGTERM only raise a flag that interruptRequested() reports,
// so that a long job can close its files before it ends.
void catchInterrupt();
bool interruptRequested();

// True when standard error is a terminal, where a progress bar can redraw its line.
bool standardErrorIsTerminal();
