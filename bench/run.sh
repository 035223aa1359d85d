#!/usr/bin/env bash
# Relay benchmark: corvane against an earlier corvane and a minimal reference relay, every load
# point a few times, inside a private network namespace whose only interface is lo. See bench/README.md.
#
#   sudo bench/run.sh [--quick] [--runs N] [--duration S] [--warmup S] [--points abcdefgh]
#                     [--relays "corvane corvane-before reference reference-shared reference-gather"]
#                     [--before REV] [--viewers N]
#                     [--build DIR] [--corvane PATH] [--out FILE]
set -euo pipefail

SELF=$(readlink -f "${BASH_SOURCE[0]}")
ROOT=$(dirname "$(dirname "$SELF")")

RUNS=3
DURATION=10
WARMUP=2
POINTS=abcdefgh
RELAYS="corvane corvane-before reference reference-shared reference-gather"
# The relay as it was before the batched loop: one receive and one send per datagram.
BEFORE=04035da
# Viewers of the one channel of point g: as many as the reference relay carries here without loss.
VIEWERS=150
BUILD=
CORVANE=
OUT=

usage() {
  cat <<EOF
usage: sudo $0 [options]
  --quick            1 run of 3 s per point and relay (1 s warm-up)
  --runs N           runs per point and relay (3); the table shows medians
  --duration S       measured seconds per run (10)
  --warmup S         seconds before the measured window (2)
  --points LETTERS   load points to run, from abcdefgh (all)
  --relays LIST      relays to run, from "corvane corvane-rtp corvane-before reference reference-shared
                     reference-gather" (all but corvane-rtp); corvane-rtp is corvane with an RTP source and its
                     clients on /rtp/, reference-shared the reference relay with one socket and one ring per
                     group, reference-gather the reference relay with one socket per client read every 65 ms
  --before REV       git revision built as corvane-before ($BEFORE)
  --viewers N        clients of the one channel of point g ($VIEWERS)
  --build DIR        build folder holding bench/corvane_load (build/linux, else build/bench-helper)
  --corvane PATH     corvane binary (DIR/src/corvane)
  --out FILE         where to keep the raw log and the table (/tmp/corvane-bench-<time>.txt)
Load points: a 1 group x 8 Mbit/s x 1 client; b 1 x 8 x 50; c 20 groups x 8 Mbit/s x 5 clients;
d 1 x 200 Mbit/s x 1; e 1 x 8 with one client reading at half rate beside four normal ones;
f two groups on one port, one client each; g 1 x 8 x the --viewers count; h 50 x 8 x 4.
EOF
}

while (($#)); do
  case $1 in
    --quick) RUNS=1 DURATION=3 WARMUP=1 ;;
    --runs) RUNS=$2; shift ;;
    --duration) DURATION=$2; shift ;;
    --warmup) WARMUP=$2; shift ;;
    --points) POINTS=$2; shift ;;
    --relays) RELAYS=$2; shift ;;
    --before) BEFORE=$2; shift ;;
    --viewers) VIEWERS=$2; shift ;;
    --build) BUILD=$(readlink -f "$2"); shift ;;
    --corvane) CORVANE=$(readlink -f "$2"); shift ;;
    --out) OUT=$(readlink -f "$2"); shift ;;
    -h|--help) usage; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
  shift
done

if ((EUID != 0)); then
  echo "run.sh: must run as root (it creates its own network namespace)" >&2
  exit 1
fi

# Everything below runs in a network namespace of our own: the multicast never reaches a real
# interface. The options were already resolved to absolute paths, so they are passed on as such.
if [[ ${CORVANE_BENCH_NETNS:-} != "$SELF" ]]; then
  reexec=(--runs "$RUNS" --duration "$DURATION" --warmup "$WARMUP" --points "$POINTS" --relays "$RELAYS"
          --before "$BEFORE" --viewers "$VIEWERS")
  [[ -n $BUILD ]] && reexec+=(--build "$BUILD")
  [[ -n $CORVANE ]] && reexec+=(--corvane "$CORVANE")
  [[ -n $OUT ]] && reexec+=(--out "$OUT")
  CORVANE_BENCH_NETNS=$SELF exec unshare --net -- bash "$SELF" "${reexec[@]}"
fi
if [[ $(readlink /proc/self/ns/net) == "$(readlink /proc/1/ns/net)" ]]; then
  echo "run.sh: refusing to run in the host's network namespace" >&2
  exit 1
fi
links=$(ip -o link show | awk -F': ' '{print $2}' | tr '\n' ' ')
if [[ $links != "lo " ]]; then
  echo "run.sh: the namespace has interfaces other than lo ($links); refusing" >&2
  exit 1
fi
ip link set lo up
ip route add 224.0.0.0/4 dev lo

if [[ -z $BUILD ]]; then
  for dir in "$ROOT/build/linux" "$ROOT/build/bench-helper"; do
    if [[ -x $dir/bench/corvane_load ]]; then BUILD=$dir; break; fi
  done
fi
LOAD=${BUILD:+$BUILD/bench/corvane_load}
REFERENCE=${BUILD:+$BUILD/bench/reference_relay}
if [[ -z $BUILD || ! -x $LOAD || ! -x $REFERENCE ]]; then
  echo "run.sh: no bench tools found; build with: cmake --preset linux && cmake --build --preset linux" >&2
  exit 1
fi
CORVANE=${CORVANE:-$BUILD/src/corvane}
if [[ " $RELAYS " == *" corvane "* && ! -x $CORVANE ]]; then
  echo "run.sh: no corvane at $CORVANE (use --corvane PATH, or --relays reference)" >&2
  exit 1
fi
OUT=${OUT:-/tmp/corvane-bench-$(date +%Y%m%d-%H%M%S).txt}

# corvane-before: the program of an earlier commit, built once per commit beside the bench tools
# from that commit's own sources (git archive), so that both run side by side in the same session.
BEFORE_EXE=
if [[ " $RELAYS " == *" corvane-before "* ]]; then
  if ! commit=$(git -C "$ROOT" rev-parse --verify --quiet "$BEFORE^{commit}"); then
    echo "run.sh: --before $BEFORE names no commit of $ROOT" >&2
    exit 1
  fi
  before_dir=$BUILD/bench-before-${commit:0:12}
  BEFORE_EXE=$before_dir/build/src/corvane
  if [[ ! -x $BEFORE_EXE ]]; then
    echo "building corvane-before from $BEFORE (${commit:0:12}) in $before_dir"
    rm -rf "$before_dir"
    mkdir -p "$before_dir/source"
    git -C "$ROOT" archive "$commit" | tar -x -C "$before_dir/source"
    if ! { cmake -S "$before_dir/source" -B "$before_dir/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
             -DCORVANE_TESTS=OFF -DCORVANE_BENCH=OFF &&
           cmake --build "$before_dir/build" -j2 --target corvane; } >"$before_dir/build.log" 2>&1; then
      tail -30 "$before_dir/build.log" >&2
      echo "run.sh: corvane-before did not build (log: $before_dir/build.log)" >&2
      exit 1
    fi
  fi
fi

WORK=$(mktemp -d /tmp/corvane-bench.XXXXXX)
RELAY_PID=
cleanup() {
  if [[ -n $RELAY_PID ]]; then kill -9 "$RELAY_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

HTTP_PORT=18100
UDP_PORT=5000

point_args() {
  case $1 in
    a) echo "--groups 1 --rate 8 --clients 1" ;;
    b) echo "--groups 1 --rate 8 --clients 50" ;;
    c) echo "--groups 20 --rate 8 --clients 5" ;;
    d) echo "--groups 1 --rate 200 --clients 1" ;;
    e) echo "--groups 1 --rate 8 --clients 5 --slow 1 --slow-fraction 0.5" ;;
    f) echo "--groups 2 --rate 8 --clients 1 --port-step 0" ;;
    g) echo "--groups 1 --rate 8 --clients $VIEWERS" ;;
    h) echo "--groups 50 --rate 8 --clients 4" ;;
    *) return 1 ;;
  esac
}

point_title() {
  case $1 in
    a) echo "a 1x8M x1" ;;
    b) echo "b 1x8M x50" ;;
    c) echo "c 20x8M x5" ;;
    d) echo "d 1x200M x1" ;;
    e) echo "e 1x8M 4+1slow" ;;
    f) echo "f 2grp 1port" ;;
    g) echo "g 1x8M x$VIEWERS" ;;
    h) echo "h 50x8M x4" ;;
  esac
}

# Starts a relay on the given HTTP port and waits until it listens; sets RELAY_PID.
start_relay() {
  local relay=$1 port=$2
  case $relay in
    corvane | corvane-rtp | corvane-before)
      # corvane reads its settings beside the program, so each run gets its own copy and file.
      local program=$CORVANE
      [[ $relay == corvane-before ]] && program=$BEFORE_EXE
      mkdir -p "$WORK/$relay"
      cp "$program" "$WORK/$relay/corvane"
      printf '0.0.0.0\r\n127.0.0.1\r\n%s\r\n0\r\n\r\n' "$port" >"$WORK/$relay/corvane.ini"
      (cd "$WORK/$relay" && exec ./corvane /user) </dev/null >"$WORK/relay.log" 2>&1 &
      ;;
    reference)
      "$REFERENCE" --listen 127.0.0.1 --port "$port" --interface 0.0.0.0 </dev/null >"$WORK/relay.log" 2>&1 &
      ;;
    reference-shared)
      "$REFERENCE" --listen 127.0.0.1 --port "$port" --interface 0.0.0.0 --shared 1 </dev/null >"$WORK/relay.log" 2>&1 &
      ;;
    reference-gather)
      "$REFERENCE" --listen 127.0.0.1 --port "$port" --interface 0.0.0.0 --gather 65 </dev/null >"$WORK/relay.log" 2>&1 &
      ;;
    *) echo "run.sh: unknown relay $relay" >&2; return 1 ;;
  esac
  RELAY_PID=$!
  local i
  for ((i = 0; i < 50; i++)); do
    if [[ -n $(ss -Hltn "sport = :$port") ]]; then return 0; fi
    if ! kill -0 "$RELAY_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  echo "run.sh: $relay did not start listening on port $port; its output:" >&2
  cat "$WORK/relay.log" >&2
  return 1
}

stop_relay() {
  [[ -n $RELAY_PID ]] || return 0
  kill "$RELAY_PID" 2>/dev/null || true
  local i
  for ((i = 0; i < 20; i++)); do
    kill -0 "$RELAY_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$RELAY_PID" 2>/dev/null || true
  wait "$RELAY_PID" 2>/dev/null || true
  RELAY_PID=
}

RESULTS=$WORK/results
: >"$RESULTS"
: >"$OUT"
total=$((${#POINTS} * RUNS * $(wc -w <<<"$RELAYS")))
count=0
echo "corvane relay benchmark: points $POINTS, relays: $RELAYS, $RUNS run(s) of $DURATION s (+$WARMUP s warm-up)" | tee -a "$OUT"
echo "tools: $BUILD; corvane: $CORVANE; corvane-before: ${BEFORE_EXE:--} ($BEFORE); kernel $(uname -r), $(nproc) CPUs" |
  tee -a "$OUT"

for ((p = 0; p < ${#POINTS}; p++)); do
  point=${POINTS:p:1}
  if ! args=$(point_args "$point"); then echo "run.sh: unknown point $point" >&2; exit 2; fi
  for ((run = 1; run <= RUNS; run++)); do
    # The relays take turns within each run, so a slow spell of the host hits both alike.
    for relay in $RELAYS; do
      count=$((count + 1))
      HTTP_PORT=$((HTTP_PORT + 1))
      if ! start_relay "$relay" "$HTTP_PORT"; then
        stop_relay
        echo "[$count/$total] $relay $point run $run: relay did not start" | tee -a "$OUT"
        continue
      fi
      rtp=0
      [[ $relay == corvane-rtp ]] && rtp=1
      # shellcheck disable=SC2086
      output=$("$LOAD" --relay "127.0.0.1:$HTTP_PORT" --relay-pid "$RELAY_PID" $args --port "$UDP_PORT" --rtp "$rtp" \
        --warmup "$WARMUP" --duration "$DURATION" --label "$relay/$point/$run" 2>&1) || true
      stop_relay
      { echo "== $relay, point $point, run $run"; echo "$output"; } >>"$OUT"
      result=$(grep '^RESULT ' <<<"$output" || true)
      if [[ -z $result ]]; then
        echo "[$count/$total] $relay $point run $run: no result" | tee -a "$OUT"
        echo "$output" >&2
        continue
      fi
      echo "relay=$relay point=$point run=$run ${result#RESULT }" >>"$RESULTS"
      summary=$(awk '{for (i = 2; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
        printf "lost %s/%s dup %s foreign %s p50 %s ms p99 %s ms stalls %s, other processes %s CPUs",
          v["lost"], v["expected"], v["dup"], v["foreign"], v["p50_ms"], v["p99_ms"], v["stalls"],
          v["other_cpus"]; if (v["stalls"] + 0 > 0) printf " STALLED" }' <<<"$result")
      echo "[$count/$total] $relay $point run $run: $summary"
    done
  done
done

# Median of one key over the runs of one relay and point; "-" when no run gave it.
median() {
  local relay=$1 point=$2 key=$3
  awk -v r="$relay" -v p="$point" -v k="$key" '
    { delete v; for (i = 1; i <= NF; i++) { n = index($i, "="); v[substr($i, 1, n - 1)] = substr($i, n + 1) }
      if (v["relay"] == r && v["point"] == p && (k in v)) print v[k] }' "$RESULTS" |
    sort -g | awk '{ a[NR] = $1 } END {
      if (NR == 0) { print "-"; exit }
      m = (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2
      print m }'
}

# Count of runs of one relay and point in which key is above zero, and of all its runs.
runs_over_zero() {
  awk -v r="$1" -v p="$2" -v k="$3" '
    { delete v; for (i = 1; i <= NF; i++) { n = index($i, "="); v[substr($i, 1, n - 1)] = substr($i, n + 1) }
      if (v["relay"] == r && v["point"] == p) { all++; if (v[k] + 0 > 0) hit++ } }
    END { printf "%d %d", hit, all }' "$RESULTS"
}

fmt() {  # number with the given decimals, or "-" for a missing or negative figure
  awk -v x="$1" -v d="$2" 'BEGIN { if (x == "-" || x + 0 < 0) print "-"; else printf "%.*f\n", d, x }'
}

{
  echo
  echo "Medians over $RUNS run(s) of $DURATION s. lost/dup/reordered/foreign: datagrams, summed over the"
  echo "normal clients of a run (point e adds the slow client's loss in %); latency over the normal clients."
  echo "BUSY-MACHINE: other processes kept more than 0.3 CPUs busy during the runs; those figures are suspect."
  echo "send CPU%: the sending thread (with the kernel's delivery to every receiving socket); cs/dgram: the relay's"
  echo "context switches per datagram delivered to a client."
  printf '%-16s %-15s %-16s %5s %9s %7s %9s %8s %8s %8s %8s %8s %9s %8s %s\n' relay point lost dup reordered foreign \
    "CPU s/GB" "p50 ms" "p99 ms" "1st B ms" "tune-in" "PSS MiB" "send CPU%" cs/dgram stalls
  for ((p = 0; p < ${#POINTS}; p++)); do
    point=${POINTS:p:1}
    for relay in $RELAYS; do
      lost=$(fmt "$(median "$relay" "$point" lost)" 0)
      if [[ $point == e ]]; then
        sl=$(median "$relay" "$point" slow_lost)
        se=$(median "$relay" "$point" slow_expected)
        lost="$lost slow $(awk -v l="$sl" -v e="$se" 'BEGIN { if (e + 0 > 0) printf "%.0f%%", 100 * l / e; else print "-" }')"
      fi
      read -r stalled all <<<"$(runs_over_zero "$relay" "$point" stalls)"
      stalls=$(fmt "$(median "$relay" "$point" stalls)" 0)
      if ((stalled > 0)); then stalls="$stalls STALLED $stalled/$all"; fi
      read -r failed _ <<<"$(runs_over_zero "$relay" "$point" clients_failed)"
      read -r bad _ <<<"$(runs_over_zero "$relay" "$point" badframes)"
      others=$(median "$relay" "$point" other_cpus)
      notes=
      ((failed > 0)) && notes+=" clients-failed-in-$failed-runs"
      ((bad > 0)) && notes+=" bad-frames-in-$bad-runs"
      if awk -v x="$others" 'BEGIN { exit !(x != "-" && x + 0 > 0.3) }'; then
        notes+=" BUSY-MACHINE(others-$others-CPUs)"
      fi
      printf '%-16s %-15s %-16s %5s %9s %7s %9s %8s %8s %8s %8s %8s %9s %8s %s%s\n' "$relay" "$(point_title "$point")" "$lost" \
        "$(fmt "$(median "$relay" "$point" dup)" 0)" "$(fmt "$(median "$relay" "$point" reord)" 0)" \
        "$(fmt "$(median "$relay" "$point" foreign)" 0)" "$(fmt "$(median "$relay" "$point" cpu_s_per_gb)" 1)" \
        "$(fmt "$(median "$relay" "$point" p50_ms)" 3)" "$(fmt "$(median "$relay" "$point" p99_ms)" 3)" \
        "$(fmt "$(median "$relay" "$point" fb_p50_ms)" 2)" "$(fmt "$(median "$relay" "$point" fb_late_ms)" 2)" \
        "$(fmt "$(median "$relay" "$point" pss_mib)" 1)" \
        "$(fmt "$(median "$relay" "$point" sender_cpu_pct)" 1)" "$(fmt "$(median "$relay" "$point" cs_per_dgram)" 3)" \
        "$stalls" "$notes"
    done
  done
  echo
  echo "Per-run figures: $OUT"
} | tee -a "$OUT"
cat "$RESULTS" >>"$OUT"
