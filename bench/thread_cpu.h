#pragma once

#include <QThread>

#include <cstdint>
#include <ctime>
#include <sys/resource.h>

// CPU time in ns: of the calling thread, of the whole process, and of another Qt thread (asked
// inside that thread, which wakes it once).
inline std::int64_t cpuNs(clockid_t clock)
{
    timespec t{};
    ::clock_gettime(clock, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

inline std::int64_t threadCpuNs()
{
    return cpuNs(CLOCK_THREAD_CPUTIME_ID);
}

inline std::int64_t processCpuNs()
{
    return cpuNs(CLOCK_PROCESS_CPUTIME_ID);
}

inline std::int64_t threadCpuNs(QObject *livingInThread)
{
    std::int64_t ns = 0;
    QMetaObject::invokeMethod(
        livingInThread, [&ns] { ns = threadCpuNs(); }, Qt::BlockingQueuedConnection);
    return ns;
}

// How often the calling thread has gone to sleep and been woken again.
inline long voluntarySwitches()
{
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}
