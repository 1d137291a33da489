#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace quillcraft::bench {

// Median time of one call of work, in the given unit (std::micro, std::milli), over
// 15 batches each long enough (about batchMs) that the clock's resolution does not matter.
template <typename Unit> double medianTime(const std::function<void()>& work, int batchMs)
{
    using Clock = std::chrono::steady_clock;
    int perBatch = 1;
    for (;;) {
        const auto start = Clock::now();
        for (int i = 0; i < perBatch; ++i)
            work();
        if (Clock::now() - start > std::chrono::milliseconds(batchMs))
            break;
        perBatch *= 2;
    }
    std::vector<double> samples;
    for (int batch = 0; batch < 15; ++batch) {
        const auto start = Clock::now();
        for (int i = 0; i < perBatch; ++i)
            work();
        samples.push_back(std::chrono::duration<double, Unit>(Clock::now() - start).count() / perBatch);
    }
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

} // namespace quillcraft::bench
