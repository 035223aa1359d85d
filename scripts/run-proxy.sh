#!/usr/bin/env bash
# Builds Corvane for Linux and runs the proxy in the foreground with its log on the terminal.
# Without a settings file beside the program it writes the control panel's defaults first
# (all interfaces, port 7781), so that an ordinary user can run it: port 81 needs root.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux >/dev/null
cmake --build --preset linux --target corvane

program=build/linux/src/corvane
settings=build/linux/src/corvane.ini
if [ ! -e "$settings" ]; then
  printf '0.0.0.0\r\n0.0.0.0\r\n7781\r\n0\r\n\r\n' >"$settings"
  echo "Wrote default settings to $settings (port 7781)"
fi
exec "$program" /user /cons
