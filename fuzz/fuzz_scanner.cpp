// Scans hostile bytes and checks the result against the byte-by-byte rules, so
// a fault shows both as a memory error and as a wrong segment list.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "segment/HedThread.h"
#include "segment/SegmentList.h"
#include "tests/segment/ReferenceScanner.h"

namespace {

class CCountingOwner : public IHedOwner {
public:
    void OnHedProgress(int percent) override { percents.push_back(percent); }
    void OnHedFinished(EHedStatus) override { ++finishes; }
    std::vector<int> percents;
    int finishes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    CHedThread record;
    CCountingOwner owner;
    record.m_hOwner = &owner;
    ScanJpegBytes(record, bytes.data(), bytes.size());
    const CReferenceScan expected = ReferenceScan(bytes);
    if (record.m_Obj != expected.segments || owner.percents != expected.percents ||
        owner.finishes != 1) {
        std::abort();
    }
    return 0;
}
