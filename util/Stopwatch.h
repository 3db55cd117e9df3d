// Whole milliseconds since a start, for the time a record gives per file.
#pragma once

#include <chrono>
#include <cstdint>

class CStopwatch {
public:
    int64_t ElapsedMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - m_start)
            .count();
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};
