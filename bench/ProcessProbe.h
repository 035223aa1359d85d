#pragma once
// What the benchmark reads about the relay process and about the machine itself.
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace bench {

// utime + stime of every thread of the process, in seconds; -1 when it cannot be read.
double ReadCpuSeconds(int pid);
// Voluntary and involuntary context switches, summed over the threads the process has now; -1 when
// they cannot be read. Threads that ended took their counts with them.
long long ReadContextSwitches(int pid);
// CPU time of the calling thread, in seconds.
double ThreadCpuSeconds();
// CPU time of the whole machine from /proc/stat, in seconds summed over all CPUs.
struct MachineCpu {
  double busy = -1;   // user, nice, system, irq and softirq
  double steal = -1;  // time the hypervisor gave our virtual CPUs to someone else
};
MachineCpu ReadMachineCpu();

// Proportional set size from smaps_rollup, in KiB; -1 when it cannot be read.
long ReadPssKiB(int pid);

// Wakes every 10 ms and records each wake-up that came more than 20 ms late. On a small VM
// whose host has run out of CPU budget the whole guest freezes for ~100 ms, and every figure
// taken across such a freeze is suspect.
class StallMonitor {
 public:
  void Start();
  void Stop();
  // Stalls that overlap [fromNs, toNs).
  unsigned CountBetween(std::uint64_t fromNs, std::uint64_t toNs) const;
  double WorstMs() const { return static_cast<double>(worstNs_) / 1e6; }
  bool Realtime() const { return realtime_; }

 private:
  void Run();
  std::thread thread_;
  std::atomic<bool> stop_{false};
  struct Stall {
    std::uint64_t beginNs;
    std::uint64_t endNs;
  };
  std::vector<Stall> stalls_;  // read only after Stop()
  std::uint64_t worstNs_ = 0;
  bool realtime_ = false;
};

}  // namespace bench
