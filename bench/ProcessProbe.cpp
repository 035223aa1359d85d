#include "ProcessProbe.h"

#include <dirent.h>
#include <pthread.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>

#include "StreamFrame.h"

namespace bench {

double ReadCpuSeconds(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The command name may hold spaces and parentheses; the fields start after the last ')'.
  std::size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 1));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  // Field 3 (state) is the first after ')'; utime and stime are fields 14 and 15.
  for (int index = 3; index <= 15 && fields >> field; ++index) {
    if (index == 14) utime = std::stoull(field);
    if (index == 15) stime = std::stoull(field);
  }
  long ticks = sysconf(_SC_CLK_TCK);
  if (ticks <= 0) return -1;
  return static_cast<double>(utime + stime) / static_cast<double>(ticks);
}

long long ReadContextSwitches(int pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  DIR* folder = opendir(tasks.c_str());
  if (folder == nullptr) return -1;
  long long total = 0;
  while (const dirent* entry = readdir(folder)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream in(tasks + "/" + entry->d_name + "/status");
    std::string line;
    while (std::getline(in, line)) {
      if (line.compare(0, 23, "voluntary_ctxt_switches") == 0 || line.compare(0, 26, "nonvoluntary_ctxt_switches") == 0)
        total += std::stoll(line.substr(line.find(':') + 1));
    }
  }
  closedir(folder);
  return total;
}

double ThreadCpuSeconds() {
  timespec ts{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts) != 0) return -1;
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

MachineCpu ReadMachineCpu() {
  MachineCpu cpu;
  std::ifstream in("/proc/stat");
  std::string label;
  unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
  if (!(in >> label >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal) || label != "cpu")
    return cpu;
  long ticks = sysconf(_SC_CLK_TCK);
  if (ticks <= 0) return cpu;
  cpu.busy = static_cast<double>(user + nice + system + irq + softirq) / static_cast<double>(ticks);
  cpu.steal = static_cast<double>(steal) / static_cast<double>(ticks);
  return cpu;
}

long ReadPssKiB(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, 4, "Pss:") == 0) return std::stol(line.substr(4));
  }
  return -1;
}

void StallMonitor::Start() { thread_ = std::thread([this] { Run(); }); }

void StallMonitor::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

unsigned StallMonitor::CountBetween(std::uint64_t fromNs, std::uint64_t toNs) const {
  unsigned count = 0;
  for (const Stall& s : stalls_) count += (s.beginNs < toNs && s.endNs > fromNs) ? 1 : 0;
  return count;
}

void StallMonitor::Run() {
  constexpr std::uint64_t kPeriodNs = 10000000;
  constexpr std::uint64_t kLateNs = 20000000;
  // Above the sender and every relay thread, so that what it sees is the machine, not our load.
  sched_param sp{};
  sp.sched_priority = 2;
  realtime_ = pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) == 0;
  std::uint64_t next = NowNs() + kPeriodNs;
  while (!stop_) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(next / 1000000000ull);
    ts.tv_nsec = static_cast<long>(next % 1000000000ull);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
    std::uint64_t now = NowNs();
    if (now > next + kLateNs) {
      stalls_.push_back(Stall{next, now});
      if (now - next > worstNs_) worstNs_ = now - next;
      next = now;
    }
    next += kPeriodNs;
  }
}

}  // namespace bench
