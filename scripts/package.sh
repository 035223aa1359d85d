#!/usr/bin/env bash
# Makes the release files from finished builds: the Windows archives (and the debug information of their
# programs) from the windows-x64 and windows-x86 builds, the Debian package from the linux build. Run after
# those presets are built; writes into build/dist. With arguments (win64, win32, deb) it makes only those.
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

debian_package() {
  local program=$root/build/linux/src/corvane unit_text=$root/build/linux/corvane_unit_text
  [ -f "$program" ] && [ -f "$unit_text" ] || { echo "package: build the linux preset first" >&2; return 1; }
  local stage
  stage=$(mktemp -d)
  local tree=$stage/tree
  mkdir -p "$tree/DEBIAN" "$tree/usr/lib/corvane" "$tree/usr/bin" "$tree/etc/corvane/corvane.Html" \
           "$tree/lib/systemd/system" "$tree/usr/share/man/man1" "$tree/usr/share/doc/corvane"
  install -m 755 "$program" "$tree/usr/lib/corvane/corvane"
  strip --strip-unneeded --remove-section=.comment --remove-section=.note "$tree/usr/lib/corvane/corvane"
  ln -s ../lib/corvane/corvane "$tree/usr/bin/corvane"
  # The program reads its settings and pages beside itself; they live under /etc as configuration.
  printf '0.0.0.0\r\n0.0.0.0\r\n81\r\n0\r\n\r\n' >"$tree/etc/corvane/corvane.ini"
  install -m 644 packaging/corvane.Html/index.html "$tree/etc/corvane/corvane.Html/index.html"
  ln -s /etc/corvane/corvane.ini "$tree/usr/lib/corvane/corvane.ini"
  ln -s /etc/corvane/corvane.Html "$tree/usr/lib/corvane/corvane.Html"
  "$unit_text" /usr/lib/corvane/corvane >"$tree/lib/systemd/system/corvane.service"
  sed "s/@VERSION@/$version/" docs/corvane.1 | gzip -9n >"$tree/usr/share/man/man1/corvane.1.gz"
  install -m 644 packaging/debian/copyright "$tree/usr/share/doc/corvane/copyright"
  sed "s/@VERSION@/$version/" packaging/debian/changelog | gzip -9n >"$tree/usr/share/doc/corvane/changelog.gz"
  install -m 755 packaging/debian/postinst packaging/debian/prerm packaging/debian/postrm "$tree/DEBIAN/"
  install -m 644 packaging/debian/conffiles "$tree/DEBIAN/conffiles"

  # Run-time dependencies from the libraries the program links; libvlc is loaded only by the
  # transcoder, at run time, and is recommended in the control file.
  mkdir -p "$stage/debian"
  printf 'Source: corvane\n\nPackage: corvane\nArchitecture: amd64\n' >"$stage/debian/control"
  local depends
  depends=$(cd "$stage" && dpkg-shlibdeps -O "$tree/usr/lib/corvane/corvane" | sed -n 's/^shlibs:Depends=//p')
  local size
  size=$(du -sk --exclude=DEBIAN "$tree" | cut -f1)
  sed -e "s/@VERSION@/$version/" -e "s/@SIZE@/$size/" -e "s/@DEPENDS@/$depends/" packaging/debian/control.in \
    >"$tree/DEBIAN/control"
  (cd "$tree" && find . -path ./DEBIAN -prune -o -type f -printf '%P\n' | LC_ALL=C sort | xargs md5sum) \
    >"$tree/DEBIAN/md5sums"
  chmod 644 "$tree/DEBIAN/md5sums"
  dpkg-deb --root-owner-group -Zxz --build "$tree" "$dist/corvane_${version}_amd64.deb" >/dev/null
  rm -rf "$stage"
  echo "package: $dist/corvane_${version}_amd64.deb"
}

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(win64 win32 deb)
for target in "${targets[@]}"; do
  case $target in
    win64) windows_zip windows-x64 win64 x86_64-w64-mingw32 ;;
    win32) windows_zip windows-x86 win32 i686-w64-mingw32 ;;
    deb) debian_package ;;
    *) echo "package: unknown target $target (win64, win32, deb)" >&2; exit 2 ;;
  esac
done
