// process_cost.cpp: CPU time and status fields of a process's threads, from
// /proc, and its cost over a span of time.
#include "bench/process_cost.h"

#include <dirent.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace bench {

namespace {

// The process's threads: their ids and /proc folders.
std::map<pid_t, std::string> Tasks(pid_t pid) {
    std::map<pid_t, std::string> tasks;
    const std::string folder = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.') tasks[std::atoi(entry->d_name)] = folder + "/" + entry->d_name;
        ::closedir(dir);
    }
    return tasks;
}

}  // namespace

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::map<pid_t, double> ThreadCpuNs(pid_t pid) {
    std::map<pid_t, double> times;
    for (const auto& [thread, folder] : Tasks(pid)) {
        const std::string schedstat = ReadText(folder + "/schedstat");
        if (!schedstat.empty()) times[thread] = std::atof(schedstat.c_str());  // not ended meanwhile
    }
    return times;
}

double CpuMsSince(pid_t pid, const std::map<pid_t, double>& before) {
    double ns = 0;
    for (const auto& [thread, time] : ThreadCpuNs(pid)) {
        const auto earlier = before.find(thread);
        ns += time - (earlier != before.end() ? earlier->second : 0);
    }
    return ns / 1e6;
}

long StatusField(pid_t pid, const std::string& field) {
    long sum = 0;
    for (const auto& [thread, folder] : Tasks(pid)) {
        std::istringstream status(ReadText(folder + "/status"));
        for (std::string line; std::getline(status, line);)
            if (line.rfind(field + ":", 0) == 0) sum += std::stol(line.substr(field.size() + 1));
        if (field == "VmRSS") break;  // shared by the threads
    }
    return sum;
}

Cost CostDuring(pid_t pid, const std::vector<pid_t>& beside, const std::function<void()>& body) {
    const long switchesBefore = StatusField(pid, "voluntary_ctxt_switches");
    const std::map<pid_t, double> ownBefore = ThreadCpuNs(pid);
    std::vector<std::map<pid_t, double>> besideBefore;
    for (const pid_t other : beside) besideBefore.push_back(ThreadCpuNs(other));
    const auto start = std::chrono::steady_clock::now();
    body();
    Cost cost;
    cost.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cost.cpuMs = CpuMsSince(pid, ownBefore) / cost.seconds;
    for (std::size_t i = 0; i < beside.size(); ++i)
        cost.besideMs.push_back(CpuMsSince(beside[i], besideBefore[i]) / cost.seconds);
    cost.wakeups = static_cast<double>(StatusField(pid, "voluntary_ctxt_switches") - switchesBefore) / cost.seconds;
    return cost;
}

}  // namespace bench
