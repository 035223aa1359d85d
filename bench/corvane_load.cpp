// Load generator and checker for a multicast-to-HTTP relay.
//
// Sends G multicast groups at a fixed rate on the loopback interface, opens C HTTP stream clients
// per group against the relay, and reports per run: datagrams lost, duplicated, reordered and
// foreign, send-to-receive latency, first-byte latency, and (given the relay's pid) the relay's
// CPU time per GB delivered and its PSS. Run it only inside a network namespace whose sole
// interface is lo with 224.0.0.0/4 routed to it (bench/run.sh sets that up).
#include <arpa/inet.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "LoadClients.h"
#include "LoadSender.h"
#include "ProcessProbe.h"
#include "StreamFrame.h"

namespace {

struct Options {
  std::string relay = "127.0.0.1:8090";
  int relayPid = 0;
  unsigned groups = 1;
  unsigned clients = 1;
  double mbit = 8.0;
  unsigned port = 5000;
  unsigned portStep = 1;
  unsigned slow = 0;
  double slowFraction = 0.5;
  double warmup = 2.0;
  double duration = 10.0;
  double drain = 1.0;
  unsigned rtp = 0;
  std::string label = "-";
};

void Usage() {
  std::fprintf(stderr,
               "usage: corvane_load --relay HOST:PORT [options]\n"
               "  --relay-pid PID     relay process to measure (CPU time, PSS)\n"
               "  --groups N          multicast groups 239.255.0.1.. (1)\n"
               "  --clients N         HTTP clients per group (1)\n"
               "  --rate MBIT         bit rate of each group, Mbit/s (8)\n"
               "  --port P            UDP port of the first group (5000)\n"
               "  --port-step S       port increment per group; 0 = all on one port (1)\n"
               "  --slow N            the first N clients of the first group read slowly (0)\n"
               "  --slow-fraction F   their reading pace as a fraction of the rate (0.5)\n"
               "  --warmup S          seconds before the measured window (2)\n"
               "  --duration S        measured window, seconds (10)\n"
               "  --drain S           seconds the source keeps sending after the window (1)\n"
               "  --rtp 1             the source sends RTP (a 12-byte header before each datagram), clients ask /rtp/\n"
               "  --label TEXT        copied into the RESULT line\n"
               "Must run in a private network namespace: lo up, 224.0.0.0/4 routed to lo.\n");
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string key = argv[i];
    if (key == "-h" || key == "--help") return false;
    if (i + 1 >= argc) {
      std::fprintf(stderr, "corvane_load: %s needs a value\n", key.c_str());
      return false;
    }
    std::string value = argv[++i];
    char* end = nullptr;
    double number = std::strtod(value.c_str(), &end);
    bool numeric = end && *end == '\0' && !value.empty() && number >= 0;
    if (key == "--relay") o.relay = value;
    else if (key == "--label") o.label = value;
    else if (!numeric) {
      std::fprintf(stderr, "corvane_load: bad option or value: %s %s\n", key.c_str(), value.c_str());
      return false;
    } else if (key == "--relay-pid") o.relayPid = static_cast<int>(number);
    else if (key == "--groups") o.groups = static_cast<unsigned>(number);
    else if (key == "--clients") o.clients = static_cast<unsigned>(number);
    else if (key == "--rate") o.mbit = number;
    else if (key == "--port") o.port = static_cast<unsigned>(number);
    else if (key == "--port-step") o.portStep = static_cast<unsigned>(number);
    else if (key == "--slow") o.slow = static_cast<unsigned>(number);
    else if (key == "--slow-fraction") o.slowFraction = number;
    else if (key == "--warmup") o.warmup = number;
    else if (key == "--duration") o.duration = number;
    else if (key == "--drain") o.drain = number;
    else if (key == "--rtp") o.rtp = static_cast<unsigned>(number);
    else {
      std::fprintf(stderr, "corvane_load: unknown option %s\n", key.c_str());
      return false;
    }
  }
  if (o.groups < 1 || o.groups > 250 || o.clients < 1 || o.mbit <= 0 || o.duration <= 0 ||
      o.port < 1 || o.port + (o.groups - 1) * o.portStep > 65535 || o.slow > o.clients ||
      o.slowFraction <= 0) {
    std::fprintf(stderr, "corvane_load: option out of range\n");
    return false;
  }
  return true;
}

void SleepUntil(std::uint64_t ns) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(ns / 1000000000ull);
  ts.tv_nsec = static_cast<long>(ns % 1000000000ull);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
  }
}

// Nearest-rank percentile in milliseconds; -1 for no samples.
double PercentileMs(std::vector<std::uint32_t> v, double q) {
  if (v.empty()) return -1;
  auto k = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5);
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
  return static_cast<double>(v[k]) / 1000.0;
}

std::uint64_t SecondsToNs(double s) { return static_cast<std::uint64_t>(s * 1e9); }

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    Usage();
    return 2;
  }
  std::size_t colon = o.relay.rfind(':');
  in_addr relayAddr{};
  if (colon == std::string::npos || inet_pton(AF_INET, o.relay.substr(0, colon).c_str(), &relayAddr) != 1) {
    std::fprintf(stderr, "corvane_load: --relay wants an IPv4 HOST:PORT\n");
    return 2;
  }
  auto relayPort = static_cast<std::uint16_t>(std::atoi(o.relay.c_str() + colon + 1));

  bench::SenderPlan send;
  send.groups = o.groups;
  send.basePort = static_cast<std::uint16_t>(o.port);
  send.portStep = o.portStep;
  send.mbitPerGroup = o.mbit;
  send.rtp = o.rtp != 0;
  send.startNs = bench::NowNs() + 50000000;  // lets both threads reach their loops first
  send.windowStartNs = send.startNs + SecondsToNs(o.warmup);
  send.windowEndNs = send.windowStartNs + SecondsToNs(o.duration);
  send.stopNs = send.windowEndNs + SecondsToNs(o.drain);

  bench::ClientPlan load;
  load.groups = o.groups;
  load.clientsPerGroup = o.clients;
  load.slowClients = o.slow;
  load.slowFraction = o.slowFraction;
  load.mbitPerGroup = o.mbit;
  load.rtp = o.rtp != 0;
  load.relayAddress = relayAddr.s_addr;
  load.relayPort = relayPort;
  load.basePort = send.basePort;
  load.portStep = o.portStep;
  load.windowStartNs = send.windowStartNs;
  load.windowEndNs = send.windowEndNs;
  load.stopNs = send.stopNs + 200000000;  // a last look for datagrams still in flight
  load.lateJoinNs = send.startNs + SecondsToNs(o.warmup / 2);

  bench::StallMonitor stalls;
  stalls.Start();
  std::atomic<std::uint64_t> bodyBytes{0};
  bench::SenderResult sent;
  bench::ClientsResult got;
  std::thread sender([&] { sent = bench::RunSender(send); });
  SleepUntil(send.startNs);
  std::thread clients([&] { bench::RunClients(load, bodyBytes, got); });

  SleepUntil(send.windowStartNs);
  double cpu0 = o.relayPid ? bench::ReadCpuSeconds(o.relayPid) : -1;
  long long switches0 = o.relayPid ? bench::ReadContextSwitches(o.relayPid) : -1;
  double self0 = bench::ReadCpuSeconds(getpid());
  bench::MachineCpu machine0 = bench::ReadMachineCpu();
  std::uint64_t bytes0 = bodyBytes.load();
  SleepUntil(send.windowEndNs);
  double cpu1 = o.relayPid ? bench::ReadCpuSeconds(o.relayPid) : -1;
  long long switches1 = o.relayPid ? bench::ReadContextSwitches(o.relayPid) : -1;
  double self1 = bench::ReadCpuSeconds(getpid());
  bench::MachineCpu machine1 = bench::ReadMachineCpu();
  std::uint64_t bytes1 = bodyBytes.load();
  long pssKiB = o.relayPid ? bench::ReadPssKiB(o.relayPid) : -1;

  sender.join();
  clients.join();
  stalls.Stop();
  if (!sent.ok) {
    std::fprintf(stderr, "corvane_load: sender failed: %s\n", sent.error.c_str());
    return 1;
  }

  std::uint64_t lost = 0, expected = 0, dup = 0, reord = 0, foreign = 0, bad = 0;
  std::uint64_t slowLost = 0, slowExpected = 0;
  unsigned ok = 0, failed = 0, closed = 0;
  std::vector<std::uint32_t> firstByteUs;
  double lateFirstByteMs = -1;
  for (const bench::ClientStats& c : got.clients) {
    const bench::GroupWindow& w = sent.windows[c.group];
    std::uint64_t want = w.endSeq - w.firstSeq;
    std::uint64_t missing = want - c.CountSeen(w.firstSeq, w.endSeq);
    if (c.slow) {
      slowLost += missing;
      slowExpected += want;
    } else {
      lost += missing;
      expected += want;
    }
    dup += c.duplicated;
    reord += c.reordered;
    foreign += c.foreign;
    bad += c.badFrames;
    if (c.gotHeader) ++ok;
    if (!c.gotHeader || (!c.error.empty() && !c.closedByRelay)) ++failed;
    if (c.closedByRelay) ++closed;
    if (c.firstByteNs && c.late) lateFirstByteMs = static_cast<double>(c.firstByteNs - c.getNs) / 1e6;
    if (c.firstByteNs && !c.late) firstByteUs.push_back(static_cast<std::uint32_t>((c.firstByteNs - c.getNs) / 1000));
  }

  double gb = static_cast<double>(bytes1 - bytes0) / 1e9;
  double cpu = (cpu0 >= 0 && cpu1 >= 0) ? cpu1 - cpu0 : -1;
  double cpuPerGb = (cpu >= 0 && gb > 0) ? cpu / gb : -1;
  double p50 = PercentileMs(got.latencyUs, 0.50);
  double p99 = PercentileMs(got.latencyUs, 0.99);
  double slowP50 = PercentileMs(got.slowLatencyUs, 0.50);
  double fbP50 = PercentileMs(firstByteUs, 0.50);
  double fbMax = firstByteUs.empty() ? -1 : *std::max_element(firstByteUs.begin(), firstByteUs.end()) / 1000.0;
  double pssMiB = pssKiB >= 0 ? static_cast<double>(pssKiB) / 1024.0 : -1;
  unsigned stallCount = stalls.CountBetween(send.windowStartNs, load.stopNs);
  // CPUs kept busy during the window by anything but the relay and this tool: other processes,
  // and interrupt work the kernel charged to no process. Figures taken on a busy machine mislead.
  double others = -1, steal = -1;
  if (machine0.busy >= 0 && machine1.busy >= 0 && self0 >= 0 && self1 >= 0) {
    others = (machine1.busy - machine0.busy - (self1 - self0) - (cpu >= 0 ? cpu : 0)) / o.duration;
    if (others < 0) others = 0;  // the three counters tick apart, so small negatives are noise
    steal = (machine1.steal - machine0.steal) / o.duration;
  }
  double selfCpu = (self1 - self0) / o.duration;
  // Context switches of the relay per datagram it delivered to a client in the window.
  double deliveredDatagrams = static_cast<double>(bytes1 - bytes0) / static_cast<double>(bench::kDatagram);
  double switchesPerDatagram = (switches0 >= 0 && switches1 >= switches0 && deliveredDatagrams > 0)
                                   ? static_cast<double>(switches1 - switches0) / deliveredDatagrams
                                   : -1;
  double senderPct = sent.windowCpuSeconds >= 0 ? 100.0 * sent.windowCpuSeconds / o.duration : -1;
  double pct = expected ? 100.0 * static_cast<double>(lost) / static_cast<double>(expected) : 0;

  std::printf("%s: %u group(s) x %.1f Mbit/s, %u client(s) each%s, window %.1f s\n", o.label.c_str(), o.groups,
              o.mbit, o.clients, o.slow ? " (some slow)" : "", o.duration);
  std::printf("  clients: %u got the stream header, %u failed, %u closed by the relay\n", ok, failed, closed);
  unsigned shown = 0;
  for (std::size_t i = 0; i < got.clients.size() && shown < 5; ++i) {
    if (got.clients[i].error.empty()) continue;
    std::printf("    client %zu (group %u): %s\n", i, got.clients[i].group, got.clients[i].error.c_str());
    ++shown;
  }
  std::printf("  normal clients: lost %llu of %llu (%.3f%%); dup %llu, reordered %llu, foreign %llu, bad frames %llu\n",
              static_cast<unsigned long long>(lost), static_cast<unsigned long long>(expected), pct,
              static_cast<unsigned long long>(dup), static_cast<unsigned long long>(reord),
              static_cast<unsigned long long>(foreign), static_cast<unsigned long long>(bad));
  if (o.slow)
    std::printf("  slow clients: lost %llu of %llu, latency p50 %.1f ms\n", static_cast<unsigned long long>(slowLost),
                static_cast<unsigned long long>(slowExpected), slowP50);
  std::printf("  latency p50 %.3f ms, p99 %.3f ms; first byte p50 %.3f ms, max %.3f ms; tuning in %.3f ms\n", p50, p99,
              fbP50, fbMax, lateFirstByteMs);
  std::printf("  relay: %.2f CPU s for %.3f GB = %.2f s/GB; PSS %.1f MiB; %.3f context switches per datagram\n", cpu,
              gb, cpuPerGb, pssMiB, switchesPerDatagram);
  std::printf("  sender thread: %.1f%% of a CPU\n", senderPct);
  std::printf("  machine: this tool %.2f CPUs, others %.2f CPUs, steal %.2f CPUs\n", selfCpu, others, steal);
  std::printf("  source: %llu datagrams, %llu send errors, %.1f ms skipped; stalls %u (worst %.0f ms)%s%s\n",
              static_cast<unsigned long long>(sent.datagrams), static_cast<unsigned long long>(sent.sendErrors),
              sent.skippedMs, stallCount, stalls.WorstMs(), stalls.Realtime() ? "" : " [monitor not real-time]",
              stallCount ? " STALLED" : "");
  std::printf("RESULT label=%s lost=%llu expected=%llu dup=%llu reord=%llu foreign=%llu badframes=%llu "
              "slow_lost=%llu slow_expected=%llu cpu_s=%.3f gb=%.4f cpu_s_per_gb=%.3f p50_ms=%.3f p99_ms=%.3f "
              "fb_p50_ms=%.3f fb_max_ms=%.3f fb_late_ms=%.3f pss_mib=%.2f stalls=%u clients_ok=%u clients_failed=%u "
              "closed=%u send_errors=%llu skipped_ms=%.1f load_cpus=%.2f other_cpus=%.2f steal_cpus=%.2f "
              "cs_per_dgram=%.3f sender_cpu_pct=%.1f\n",
              o.label.c_str(), static_cast<unsigned long long>(lost), static_cast<unsigned long long>(expected),
              static_cast<unsigned long long>(dup), static_cast<unsigned long long>(reord),
              static_cast<unsigned long long>(foreign), static_cast<unsigned long long>(bad),
              static_cast<unsigned long long>(slowLost), static_cast<unsigned long long>(slowExpected), cpu, gb,
              cpuPerGb, p50, p99, fbP50, fbMax, lateFirstByteMs, pssMiB, stallCount, ok, failed, closed,
              static_cast<unsigned long long>(sent.sendErrors), sent.skippedMs, selfCpu, others, steal,
              switchesPerDatagram, senderPct);
  return 0;
}
