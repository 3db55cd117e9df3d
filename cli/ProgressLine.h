// The one line a long run keeps updating on a terminal's standard error:
// files done of all, bytes saved so far, time left. Nothing at all when
// standard error is no terminal, so that logs and pipes stay clean.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

class CProgressLine {
public:
    // shown: false for --quiet; the line also needs a terminal.
    CProgressLine(size_t total, bool shown);

    // One more file is done; saved: the bytes its result saved.
    void FileDone(int64_t saved);
    // Empties the line before other text goes to standard error.
    void Clear() const;
    // Ends the line after the last file.
    void Finish() const;

private:
    bool m_bShown;
    size_t m_nTotal;
    size_t m_nDone = 0;
    int64_t m_nSaved = 0;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};
