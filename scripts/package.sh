#!/usr/bin/env bash
# Makes the release files from finished builds: the Windows archives from the windows-x64 and
# windows-x86 builds. Run after those presets are built; writes into build/dist.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
version=$(sed -nE 's/^project\(Corvane VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
dist=$root/build/dist
mkdir -p "$dist"

# Windows readers expect CR LF line ends in plain text files.
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$1"; }

windows_zip() {  # preset archive-suffix
  local program=$root/build/$1/src/corvane.exe
  [ -f "$program" ] || { echo "package: $program is missing (build the $1 preset first)" >&2; return 1; }
  local stage
  stage=$(mktemp -d)
  mkdir -p "$stage/corvane-$version/corvane.Html"
  cp "$program" "$stage/corvane-$version/corvane.exe"
  sed "s/@VERSION@/$version/" packaging/windows/README.txt >"$stage/README.in"
  crlf "$stage/README.in" >"$stage/corvane-$version/README.txt"
  crlf LICENSE >"$stage/corvane-$version/LICENSE.txt"
  crlf packaging/corvane.Html/index.html >"$stage/corvane-$version/corvane.Html/index.html"
  rm -f "$dist/corvane-$version-$2.zip"
  (cd "$stage" && python3 - "$dist/corvane-$version-$2.zip" "corvane-$version" <<'PY'
import os, sys, zipfile
archive, top = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as out:
    for folder, _, files in sorted(os.walk(top)):
        for name in sorted(files):
            out.write(os.path.join(folder, name))
PY
  )
  rm -rf "$stage"
  echo "package: $dist/corvane-$version-$2.zip"
}

windows_zip windows-x64 win64
windows_zip windows-x86 win32
