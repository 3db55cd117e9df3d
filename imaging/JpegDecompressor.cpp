#include "imaging/JpegDecompressor.h"

#include <cstring>

namespace {

constexpr int kMaxScans = 1000;

void StopEndlessScans(j_common_ptr info) {
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        auto* trap = static_cast<CJpegErrorTrap*>(info->client_data);
        std::strncpy(trap->reason, "more than 1000 scans", sizeof trap->reason - 1);
        JumpToErrorTrap(info);
    }
}

}  // namespace

CDecompressor::CDecompressor() {
    InstallErrorTrap(reinterpret_cast<j_common_ptr>(&m_info), m_trap);
    m_progress.progress_monitor = StopEndlessScans;
}
