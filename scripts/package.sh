#!/usr/bin/env bash
# Makes the release files from finished builds: the Windows archives (and the debug information of their
# programs) from the windows-x64 and windows-x86 builds; the Debian packages for amd64 and (cross-built)
# arm64 from debian/. Run after the Windows presets are built; writes into build/dist. With arguments
# (win64, win32, deb, deb-arm64) it makes only those.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
version=$(sed -nE 's/^project\(Corvane VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
dist=$root/build/dist
mkdir -p "$dist"

# Windows readers expect CR LF line ends in plain text files.
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$1"; }

windows_zip() {  # preset archive-suffix tool-prefix
  local program=$root/build/$1/src/corvane.exe
  [ -f "$program" ] || { echo "package: $program is missing (build the $1 preset first)" >&2; return 1; }
  local stage
  stage=$(mktemp -d)
  mkdir -p "$stage/corvane-$version/corvane.Html"
  # The archive's program goes without its debug information (a tenth of the size); the information stays
  # beside the archive for reading crash reports, named in the program by its debug link.
  local debug=$dist/corvane-$version-$2.debug
  "$3-objcopy" --only-keep-debug "$program" "$debug"
  "$3-objcopy" --strip-all --add-gnu-debuglink="$debug" "$program" "$stage/corvane-$version/corvane.exe"
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

debian_package() {  # architecture (amd64, or arm64 cross-built)
  local arch=$1
  local changed
  changed=$(dpkg-parsechangelog -l debian/changelog -S Version)
  [ "$changed" = "$version" ] || { echo "package: debian/changelog is at $changed, the program at $version" >&2; return 1; }
  # dpkg-buildpackage writes beside the source folder: it builds a copy of the tree, without the builds.
  local work=$root/build/debian-$arch
  rm -rf "$work"
  mkdir -p "$work/corvane-$version"
  tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/corvane-$version" -xf -
  local host=()
  [ "$arch" = "$(dpkg --print-architecture)" ] || host=(--host-arch "$arch")
  (cd "$work/corvane-$version" && DEB_BUILD_OPTIONS="parallel=2 ${DEB_BUILD_OPTIONS:-}" \
     dpkg-buildpackage -us -uc -b "${host[@]}" >"$work/build.log" 2>&1) ||
    { tail -15 "$work/build.log" >&2; echo "package: dpkg-buildpackage failed (see $work/build.log)" >&2; return 1; }
  mv "$work/corvane_${version}_$arch.deb" "$dist/"
  echo "package: $dist/corvane_${version}_$arch.deb"
}

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(win64 win32 deb deb-arm64)
for target in "${targets[@]}"; do
  case $target in
    win64) windows_zip windows-x64 win64 x86_64-w64-mingw32 ;;
    win32) windows_zip windows-x86 win32 i686-w64-mingw32 ;;
    deb) debian_package amd64 ;;
    deb-arm64) debian_package arm64 ;;
    *) echo "package: unknown target $target (win64, win32, deb, deb-arm64)" >&2; exit 2 ;;
  esac
done
