#pragma once

#include <string>

enum class MessageIcon : unsigned char { Error, Warning, Information };

// Writes "CAPTION: TEXT" to standard error, then shows a modal box where a display exists.
// Nothing here ever waits for a click on a machine without a display.
void showMessage(const std::string& caption, const std::string& text, MessageIcon icon);
// Only the modal box, where a display exists; for a message whose text reaches standard error
// another way (a loading error is written there once, by whoever catches it).
void showMessageBox(const std::string& caption, const std::string& text, MessageIcon icon);

// While one exists no box is shown, only standard error is written: a reload in author mode
// reports its loading errors on the overlay and must never stop the demo for a click.
class MessageBoxesHeld {
public:
    MessageBoxesHeld();
    MessageBoxesHeld(const MessageBoxesHeld&) = delete;
    MessageBoxesHeld& operator=(const MessageBoxesHeld&) = delete;
    ~MessageBoxesHeld();
};

// A Yes/No question. Without a display the answer is taken as Yes, and said so on standard error.
bool askYesNo(const std::string& caption, const std::string& text);

// True when a graphical display is reachable (X11 or Wayland).
bool displayAvailable();

// From now on, messages go to standard error only, for this process and those it starts:
// command-line tools call it first, so that no modal box waits for a click on a desktop.
void turnMessageBoxesOff();
