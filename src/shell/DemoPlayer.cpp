#include "shell/DemoPlayer.h"

DemoPlayer::DemoPlayer(const DemoSettings& settings) : paths(DemoPaths::fromSettings(settings)) {}
