#pragma once

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>

namespace nxa::bench {

// CPU seconds of the finished child processes so far.
inline double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The CPU and wall time of child processes run between start() and stop(),
// added up over a benchmark's iterations.
class ChildTimes {
public:
    void start() {
        m_cpuBefore = childCpuSeconds();
        m_wall.start();
    }
    void stop() {
        m_cpu += childCpuSeconds() - m_cpuBefore;
        m_wallSeconds += double(m_wall.nsecsElapsed()) / 1e9;
    }
    double cpuSeconds() const { return m_cpu; }

    // Both per iteration beside each other; a run whose wall time is more
    // than twice its CPU time (with `otherCpuSeconds`, such as a database
    // server's, that worked for it) mostly waited (a time-out, a lock, the
    // other processes of a loaded machine) and says so, so that nobody reads
    // its wall time as the cost of the work.
    void report(benchmark::State &state, double otherCpuSeconds = 0) const {
        const double iterations = double(state.iterations());
        state.counters["process_cpu_s"] = m_cpu / iterations;
        state.counters["process_wall_s"] = m_wallSeconds / iterations;
        if (m_wallSeconds > 2 * (m_cpu + otherCpuSeconds))
            state.SetLabel("waited: wall time over twice the CPU time");
    }

private:
    double m_cpuBefore = 0;
    double m_cpu = 0;
    double m_wallSeconds = 0;
    QElapsedTimer m_wall;
};

} // namespace nxa::bench
