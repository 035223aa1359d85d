#pragma once
#include "startup/Switches.h"

// Runs the chosen mode; returns the process exit code when the mode ends.
int RunSelectedMode(RunMode mode);
