#include "serving.h"

#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <thread>

void runWhileServing(const std::vector<std::function<void()>> &jobs)
{
    QEventLoop loop;
    std::atomic<int> left{int(jobs.size())};
    std::vector<std::thread> threads;
    threads.reserve(jobs.size());
    for (const auto &job : jobs) {
        threads.emplace_back([&loop, &left, job] {
            job();
            if (--left == 0)
                QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
    }
    loop.exec();
    for (std::thread &t : threads)
        t.join();
}

void serveFor(std::chrono::milliseconds time)
{
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}
