#include "cli/ProgressLine.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

std::string Bytes(int64_t bytes) {
    char text[32];
    if (bytes < 10 * 1024) {
        std::snprintf(text, sizeof text, "%lld bytes", static_cast<long long>(bytes));
    } else if (bytes < 10 * 1024 * 1024) {
        std::snprintf(text, sizeof text, "%.1f KiB", static_cast<double>(bytes) / 1024);
    } else {
        std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024 * 1024));
    }
    return text;
}

std::string Duration(double seconds) {
    char text[32];
    const long long whole = static_cast<long long>(seconds + 0.5);
    if (whole < 60) {
        std::snprintf(text, sizeof text, "%llds", whole);
    } else if (whole < 3600) {
        std::snprintf(text, sizeof text, "%lldm%02llds", whole / 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%lldh%02lldm", whole / 3600, whole / 60 % 60);
    }
    return text;
}

}  // namespace

CProgressLine::CProgressLine(size_t total, bool shown)
    : m_bShown(shown && ::isatty(STDERR_FILENO) == 1), m_nTotal(total) {}

void CProgressLine::FileDone(int64_t saved) {
    ++m_nDone;
    m_nSaved += saved;
    if (!m_bShown) {
        return;
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    const double left =
        elapsed / static_cast<double>(m_nDone) * static_cast<double>(m_nTotal - m_nDone);
    std::fprintf(stderr, "\r%zu/%zu files, %s saved, %s left\x1b[K", m_nDone, m_nTotal,
                 Bytes(m_nSaved).c_str(), Duration(left).c_str());
    std::fflush(stderr);
}

void CProgressLine::Clear() const {
    if (m_bShown && m_nDone > 0) {
        std::fputs("\r\x1b[K", stderr);
    }
}

void CProgressLine::Finish() const {
    if (m_bShown && m_nDone > 0) {
        std::fputs("\n", stderr);
    }
}
