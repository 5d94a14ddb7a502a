#pragma once

#include <chrono>
#include <functional>
#include <vector>

// The bridge runs on the main thread's event loop, as in the product; each program of a
// benchmark is a thread of its own, sharing nothing with the bridge but the kernel.

// Runs the jobs in threads of their own while this thread's event loop (the bridge) serves.
void runWhileServing(const std::vector<std::function<void()>> &jobs);
// Lets the bridge serve for a while.
void serveFor(std::chrono::milliseconds time);
