#!/usr/bin/env bash
# Takes the control panel's screenshots (English and Russian, under wine on a virtual screen inside a
# private network namespace) with the Windows build's panel test and copies them to docs/. Run as root
# after `cmake --preset windows-x64 && cmake --build --preset windows-x64`.
set -euo pipefail
cd "$(dirname "$0")/.."
shots=build/windows-x64/tests/e2e/screenshots
rm -f "$shots"/panel-*.png
ctest --test-dir build/windows-x64 -R '^e2e\.test_panel$' --output-on-failure
cp "$shots/panel-en.png" "$shots/panel-ru.png" docs/
echo "docs/panel-en.png and docs/panel-ru.png updated"
