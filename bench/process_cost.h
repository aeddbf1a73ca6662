// process_cost.h: what a running process costs, from /proc: CPU time of all
// its threads, fields of its status, and its cost over a span of time
// beside other processes (its display server, its compositor).
#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bench {

// A file's whole text; empty when it cannot be read.
std::string ReadText(const std::string& path);

// CPU time of each of the process's threads, in ns, by thread id.
std::map<pid_t, double> ThreadCpuNs(pid_t pid);
// CPU time of the process's threads since `before`, in ms: a thread started
// since counts in full. A thread that ended meanwhile counts for nothing, as
// its time went with it; subtracting all it had would make the sum short.
double CpuMsSince(pid_t pid, const std::map<pid_t, double>& before);
// A numeric field of /proc/PID/status summed over the threads ("VmRSS" once,
// as the threads share it).
long StatusField(pid_t pid, const std::string& field);

// What a process cost while something ran, per second of it.
struct Cost {
    double seconds = 0;            // how long it ran
    double cpuMs = 0;              // the process's own CPU, ms per s
    double wakeups = 0;            // its voluntary context switches per s
    std::vector<double> besideMs;  // the CPU of each process beside it, ms per s
};
// Runs `body` and measures `pid` and the processes `beside` meanwhile.
Cost CostDuring(pid_t pid, const std::vector<pid_t>& beside, const std::function<void()>& body);

}  // namespace bench
