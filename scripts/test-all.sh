#!/usr/bin/env bash
# Installs what is missing, builds all targets (Linux, Linux with sanitizers, fuzzers, Windows x86-64
# and i686) and runs every test: natively, under AddressSanitizer/UBSan, the Linux tests under
# ThreadSanitizer too, and the Windows build under wine.
# Everything that touches the network runs inside a network namespace made here, so no packet leaves
# this machine.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

packages=(cmake ninja-build g++ clang libclang-rt-14-dev pkg-config nettle-dev googletest python3 iproute2
          util-linux systemd g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 xvfb xauth fonts-wine
          libvlc5 vlc-plugin-base ffmpeg dpkg-dev debhelper lintian adduser
          g++-aarch64-linux-gnu nettle-dev:arm64 libstdc++6:arm64 pkg-config:arm64 qemu-user-static)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
# The arm64 package is cross-built against Debian's arm64 libraries.
dpkg --print-foreign-architectures | grep -qx arm64 || $sudo dpkg --add-architecture arm64 || exit 1
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "== Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" || exit 1
fi

# Operating-system code only in the OS halves, and rooms that include downward only.
scripts/check-rooms.py || exit 1

fuzz_seconds=${CORVANE_FUZZ_SECONDS:-30}
logs=$root/build/test-logs
rm -rf "$logs"
mkdir -p "$logs"

build() {  # preset [extra cmake arguments]
  local preset=$1
  shift
  echo "== $(date +%T) Building $preset"
  cmake --preset "$preset" "$@" >"$logs/configure-$preset.log" 2>&1 || { cat "$logs/configure-$preset.log"; return 1; }
  cmake --build --preset "$preset" -j2 >"$logs/build-$preset.log" 2>&1 || { tail -50 "$logs/build-$preset.log"; return 1; }
}

build linux -DCORVANE_TESTS=ON -DCORVANE_BENCH=ON || exit 1
build linux-asan || exit 1
build linux-tsan || exit 1
build linux-fuzz || exit 1
build windows-x64 || exit 1
# 32-bit programs cannot run on this machine's kernel: the i686 build is compiled and linked only.
build windows-x86 -DCORVANE_TESTS=OFF || exit 1

# Release files: both Windows archives and the Debian package, checked by lintian. The tags left are
# explained in packaging/debian/lintian-notes.
echo "== $(date +%T) Packaging"
scripts/package.sh >"$logs/package.log" 2>&1 || { cat "$logs/package.log"; exit 1; }
version=$(sed -nE 's/^project\(Corvane VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
lintian_output=$(lintian --fail-on error,warning --suppress-tags-from-file packaging/debian/lintian-notes \
                 "build/dist/corvane_${version}_amd64.deb" "build/dist/corvane_${version}_arm64.deb" 2>&1)
lintian_status=$?
grep -v 'running with root privileges' <<<"$lintian_output" || true
[ "$lintian_status" -eq 0 ] || exit 1

# The tests themselves run inside a private network namespace (loopback only, multicast routed to lo).
wineprefix=$(mktemp -d /tmp/corvane-wine.XXXXXX)
cat >"$logs/run-tests.sh" <<INNER
set -u
version=$version
ip link set lo up
ip route add 224.0.0.0/4 dev lo
export WINEPREFIX=$wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
# No display here: wine's null graphics driver still lets the programs make their (hidden) windows. A session
# takes its driver when it starts, so the sessions of wineboot and of the setting are waited out.
/usr/lib/wine/wineserver64 -w
/usr/lib/wine/wine64 reg add 'HKCU\\Software\\Wine\\Drivers' /v Graphics /d null /f >/dev/null 2>&1
/usr/lib/wine/wineserver64 -w
rm -f $root/build/linux-tsan/tsan-report.*
for preset in linux linux-asan linux-tsan windows-x64; do
  echo "== \$(date +%T) Testing \$preset"
  ctest --preset \$preset -j2 >$logs/test-\$preset.log 2>&1
  grep -E 'tests passed|\\*\\*\\*Failed|\\*\\*\\*Timeout|\\*\\*\\*Exception|Not Run|\\(Failed\\)|\\(Timeout\\)' $logs/test-\$preset.log
done
/usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
echo "== \$(date +%T) Testing the release files"
cd $root/tests/package
CORVANE_DEB=$root/build/dist/corvane_\${version}_amd64.deb python3 ../e2e/run_in_netns.py \\
  python3 -m unittest -v test_debian_package >$logs/test-package.log 2>&1
CORVANE_DEB=$root/build/dist/corvane_\${version}_amd64.deb CORVANE_EXE=$root/build/linux/src/corvane \\
  python3 -m unittest -v test_systemd_service >>$logs/test-package.log 2>&1
# The arm64 package's program, unpacked, serves the proxy's end-to-end tests under qemu-user.
arm64=\$(mktemp -d)
dpkg-deb -x $root/build/dist/corvane_\${version}_arm64.deb \$arm64
(cd ../e2e && CORVANE_EXE=\$arm64/usr/lib/corvane/corvane CORVANE_EMULATOR=qemu-aarch64-static python3 run_in_netns.py \\
   python3 -m unittest -v test_stream test_site test_head_timeout test_addresses test_startup) >>$logs/test-package.log 2>&1
rm -rf \$arm64
CORVANE_WINDOWS=1 CORVANE_E2E_WORK=$root/build/windows-x64/tests/e2e \\
  CORVANE_ZIP=$root/build/dist/corvane-\${version}-win64.zip python3 ../e2e/run_in_netns.py \\
  python3 -m unittest -v test_windows_archive >>$logs/test-package.log 2>&1
grep -E '^(Ran|OK|FAILED)' $logs/test-package.log
INNER
if [ "$(id -u)" -eq 0 ]; then
  unshare -n bash "$logs/run-tests.sh"
else
  $sudo unshare -n bash "$logs/run-tests.sh"
fi
rm -rf "$wineprefix"

# Fuzzers: a fixed time each, from the committed seed corpus.
fuzz_passed=0
fuzz_failed=0
for fuzzer in request_fuzzer settings_fuzzer transcoder_fuzzer rtp_fuzzer playlist_fuzzer; do
  echo "== $(date +%T) Fuzzing $fuzzer for ${fuzz_seconds}s"
  corpus=$(mktemp -d)
  [ -d "fuzz/corpus/${fuzzer%_fuzzer}" ] && cp -r "fuzz/corpus/${fuzzer%_fuzzer}/." "$corpus/"
  if build/linux-fuzz/fuzz/$fuzzer -max_total_time="$fuzz_seconds" -print_final_stats=0 "$corpus" \
      >"$logs/fuzz-$fuzzer.log" 2>&1; then
    fuzz_passed=$((fuzz_passed + 1))
  else
    fuzz_failed=$((fuzz_failed + 1))
    tail -30 "$logs/fuzz-$fuzzer.log"
  fi
  rm -rf "$corpus"
done

# One closing line with the counts of every run above.
passed=$fuzz_passed
failed=$fuzz_failed
skipped=0
for preset in linux linux-asan linux-tsan windows-x64; do
  log=$logs/test-$preset.log
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    echo "== $preset: no test summary (see $log)"
    tail -20 "$log"
    failed=$((failed + 1))
    continue
  fi
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  notrun=$(grep -cE '\(Skipped\)$' "$log")
  passed=$((passed + total - bad - notrun))
  failed=$((failed + bad))
  skipped=$((skipped + notrun))
done
# A ThreadSanitizer report fails its test, and every report (the programs' included) is kept in a file.
for report in build/linux-tsan/tsan-report.*; do
  [ -e "$report" ] || continue
  echo "== ThreadSanitizer: $report"
  head -40 "$report"
  failed=$((failed + 1))
done
# The release-file tests speak unittest: "Ran N tests", then "OK (skipped=S)" or "FAILED (failures=F, ...)".
package_log=$logs/test-package.log
ran=$(sed -nE 's/^Ran ([0-9]+) tests?.*/\1/p' "$package_log" | awk '{s+=$1} END {if (NR) print s}')
if [ -z "$ran" ] || [ "$(grep -cE '^(OK|FAILED)' "$package_log")" -ne 4 ]; then
  echo "== release files: no test summary (see $package_log)"
  tail -30 "$package_log"
  failed=$((failed + 1))
else
  bad=$(grep -oE '(failures|errors)=[0-9]+' "$package_log" | cut -d= -f2 | awk '{s+=$1} END {if (NR) print s}')
  notrun=$(grep -oE 'skipped=[0-9]+' "$package_log" | cut -d= -f2 | awk '{s+=$1} END {if (NR) print s}')
  bad=${bad:-0}
  notrun=${notrun:-0}
  [ "$bad" -eq 0 ] || tail -40 "$package_log"
  passed=$((passed + ran - bad - notrun))
  failed=$((failed + bad))
  skipped=$((skipped + notrun))
fi
echo "Total: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
