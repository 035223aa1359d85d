#pragma once
// The control panel over the real service module and the transcoder's window.

// The program without a mode switch (also "/install", "/remove" and "/?"); returns the process exit code.
int RunControlPanelMode();
