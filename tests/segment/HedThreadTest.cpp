#include "segment/HedThread.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "settings/MemorySettingsStore.h"
#include "tests/segment/ReferenceScanner.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

// Records what the scanner reports and can ask it to stop at a given report.
class CRecordingOwner : public IHedOwner {
public:
    explicit CRecordingOwner(CHedThread& record, size_t cancelAtReport = 0)
        : m_record(record), m_cancelAtReport(cancelAtReport) {}

    void OnHedProgress(int percent) override {
        const std::lock_guard lock(m_mutex);
        percents.push_back(percent);
        workerNice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
        if (percents.size() == m_cancelAtReport) {
            m_record.m_bCancel = 1;
        }
    }
    void OnHedFinished(EHedStatus status) override {
        const std::lock_guard lock(m_mutex);
        finishes.push_back(status);
        segmentsSeenAtFinish = m_record.m_Obj.size();
        finishThread = std::this_thread::get_id();
    }

    std::mutex m_mutex;
    std::vector<int> percents;
    std::vector<EHedStatus> finishes;
    size_t segmentsSeenAtFinish = 0;
    int workerNice = 0;
    std::thread::id finishThread;

private:
    CHedThread& m_record;
    size_t m_cancelAtReport;
};

std::string Describe(const CSegmentList& list) {
    std::string text;
    for (const CJpegSegment& segment : list) {
        text += "[" + segment.m_strCode + ":" + segment.m_strData + "]";
    }
    return text;
}

CSegmentList ScanHex(const std::string& hex) {
    const std::vector<uint8_t> bytes = BytesFromHex(hex);
    CHedThread record;
    EXPECT_TRUE(ScanJpegBytes(record, bytes.data(), bytes.size()));
    EXPECT_EQ(record.m_nStatus, EHedStatus::Finished);
    return record.m_Obj;
}

struct CScanCase {
    const char* name;
    const char* bytes;
    const char* segments;
};

class AScannedByteSequence : public ::testing::TestWithParam<CScanCase> {};

TEST_P(AScannedByteSequence, SplitsAtEveryMarker) {
    EXPECT_EQ(Describe(ScanHex(GetParam().bytes)), GetParam().segments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AScannedByteSequence,
    ::testing::Values(CScanCase{"Minimal", "FFD8FFE00010AABBFFD9", "[FFD8:][FFE0:0010AABB][FFD9:]"},
                      CScanCase{"Preamble", "0102FFE1FFD8FFD9", "[FFD8:][FFD9:]"},
                      CScanCase{"FillBytesStayWithTheSegmentBefore", "FFD8FFC0AAFFFFFFC4BBFFD9",
                                "[FFD8:][FFC0:AAFFFF][FFC4:BB][FFD9:]"},
                      CScanCase{"StuffedBytes", "FFD8FFDA11FF0022FF0033FFD9",
                                "[FFD8:][FFDA:11][FF00:22][FF00:33][FFD9:]"},
                      CScanCase{"RestartMarkers", "FFD8FFDA11FFD022FFD733FFD9",
                                "[FFD8:][FFDA:11][FFD0:22][FFD7:33][FFD9:]"},
                      CScanCase{"MissingEndMarker", "FFD8FFE0AABB", "[FFD8:][FFE0:AABB][FFD9:]"},
                      CScanCase{"LoneFinalFF", "FFD8FFE0AAFF", "[FFD8:][FFE0:AA]"},
                      CScanCase{"TwoFinalFF", "FFD8FFE0AAFFFF", "[FFD8:][FFE0:AA][FFFF:]"},
                      CScanCase{"ThreeFinalFF", "FFD8FFE0AAFFFFFF", "[FFD8:][FFE0:AAFF][FF:]"},
                      CScanCase{"NestedThumbnail", "FFD8FFE1AAFFD8BBFFD9CCFFDADDFFD9EE",
                                "[FFD8:][FFE1:AA][FFD8:BB][FFD9:CC][FFDA:DD][FFD9:]"},
                      CScanCase{"TwoImagesInARow", "FFD8AAFFD9FFD8BBFFD9", "[FFD8:AA][FFD9:]"},
                      CScanCase{"NoStartMarker", "0102", "[:0102][FFD9:]"},
                      CScanCase{"OnlyAStartMarker", "FFD8", "[FFD8:]"},
                      CScanCase{"EndBeforeStartIsData", "FFD9FFD8AAFFD9", "[FFD8:AA][FFD9:]"},
                      CScanCase{"MarkerAfterFillAtStart", "FFFFD8AAFFD9", "[FFD8:AA][FFD9:]"}),
    [](const auto& info) { return std::string(info.param.name); });

// Inputs drawn mostly from the bytes that steer the scanner.
std::vector<uint8_t> RandomJpegLikeBytes(std::mt19937& random, size_t length) {
    static const uint8_t steering[] = {0xFF, 0xFF, 0xFF, 0xD8, 0xD9, 0x00, 0xE1, 0xD0, 0x12};
    std::vector<uint8_t> bytes(length);
    for (uint8_t& b : bytes) {
        b = random() % 3 == 0 ? static_cast<uint8_t>(random())
                              : steering[random() % sizeof steering];
    }
    return bytes;
}

TEST(ASegmentScanner, GivesTheListAndReportsOfTheByteByByteRulesOnRandomInput) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 3000; ++round) {
        const std::vector<uint8_t> bytes = RandomJpegLikeBytes(random, random() % 200 + 1);
        const CReferenceScan expected = ReferenceScan(bytes);
        CHedThread record;
        CRecordingOwner owner(record);
        record.m_hOwner = &owner;
        ASSERT_TRUE(ScanJpegBytes(record, bytes.data(), bytes.size()));
        ASSERT_EQ(Describe(record.m_Obj), Describe(expected.segments)) << HexFromBytes(bytes);
        ASSERT_EQ(owner.percents, expected.percents) << HexFromBytes(bytes);
    }
}

TEST(ASegmentScanner, KeepsTheSegmentsFoundBeforeACancel) {
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        const std::vector<uint8_t> bytes = RandomJpegLikeBytes(random, random() % 300 + 30);
        const size_t cancelAt = random() % 20 + 1;
        const CReferenceScan expected = ReferenceScan(bytes, cancelAt);
        CHedThread record;
        CRecordingOwner owner(record, cancelAt);
        record.m_hOwner = &owner;
        ASSERT_EQ(ScanJpegBytes(record, bytes.data(), bytes.size()), expected.completed);
        ASSERT_EQ(record.m_nStatus,
                  expected.completed ? EHedStatus::Finished : EHedStatus::Cancelled);
        ASSERT_EQ(Describe(record.m_Obj), Describe(expected.segments)) << HexFromBytes(bytes);
        ASSERT_EQ(owner.finishes.size(), 1u);
        ASSERT_EQ(owner.segmentsSeenAtFinish, record.m_Obj.size());
    }
}

TEST(ASegmentScanner, ReportsEveryPassOfATwentyByteFile) {
    const std::vector<uint8_t> bytes(20, 0x41);
    CHedThread record;
    CRecordingOwner owner(record);
    record.m_hOwner = &owner;
    ScanJpegBytes(record, bytes.data(), bytes.size());
    ASSERT_EQ(owner.percents.size(), 20u);
    EXPECT_EQ(owner.percents.front(), 5);
    EXPECT_EQ(owner.percents.back(), 100);
    EXPECT_EQ(record.m_nPercent, 100);
}

TEST(ASegmentScanner, ReportsAboutTwentyOneTimesOnALargeFile) {
    std::vector<uint8_t> bytes(100000, 0x41);
    bytes[0] = 0xFF;
    bytes[1] = 0xD8;
    CHedThread record;
    CRecordingOwner owner(record);
    record.m_hOwner = &owner;
    ScanJpegBytes(record, bytes.data(), bytes.size());
    EXPECT_EQ(owner.percents.size(), 21u);
    EXPECT_EQ(record.m_nThreadSize, 100000);
}

class AScannedFile : public ::testing::Test {
protected:
    CTempDir folder;
    CHedThread record;
    CRecordingOwner owner{record};

    bool Scan(const std::string& path) {
        record.m_hOwner = &owner;
        record.m_strFileName = path;
        return ScanJpegHeaders(record);
    }
};

TEST_F(AScannedFile, ThatCannotBeOpenedEndsLikeACancel) {
    EXPECT_EQ(Scan(folder.File("missing.jpg")), 0);
    EXPECT_EQ(owner.finishes, std::vector<EHedStatus>{EHedStatus::Cancelled});
}

TEST_F(AScannedFile, ThatIsEmptyGivesNoListAndTheEmptyStatus) {
    WriteFile(folder.File("empty.jpg"), {});
    record.m_Obj.push_back(CJpegSegment{"FFD8", ""});
    EXPECT_EQ(Scan(folder.File("empty.jpg")), 1);
    EXPECT_EQ(owner.finishes, std::vector<EHedStatus>{EHedStatus::EmptyFile});
    EXPECT_TRUE(record.m_Obj.empty());
    EXPECT_TRUE(owner.percents.empty());
}

TEST_F(AScannedFile, TooLongForTheRecordIsRefusedWithoutBeingRead) {
    const std::string path = folder.File("huge.jpg");
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t{1} << 31), 0);  // sparse: costs no disk
    ::close(fd);
    EXPECT_EQ(Scan(path), 0);
    EXPECT_EQ(owner.finishes, std::vector<EHedStatus>{EHedStatus::Cancelled});
    EXPECT_TRUE(owner.percents.empty());
}

TEST_F(AScannedFile, OnItsOwnThreadDeliversTheFinishWhileTheListIsComplete) {
    const std::string path = folder.File("picture.jpg");
    WriteFile(path, BytesFromHex("FFD8FFE00010AABBFFDA0102FF0003FFD9"));
    CMemorySettingsStore settings;
    settings.Write(settings::kCpu, 2);
    CHedThreadRunner runner;
    const int niceBefore = ::getpriority(PRIO_PROCESS, 0);
    runner.Start(record, owner, path, settings);
    runner.Join();
    EXPECT_EQ(owner.finishes, std::vector<EHedStatus>{EHedStatus::Finished});
    EXPECT_EQ(owner.segmentsSeenAtFinish, 5u);
    EXPECT_NE(owner.finishThread, std::this_thread::get_id());
    EXPECT_EQ(owner.workerNice, niceBefore + 2) << "cpu 2 runs the scanner at a lower priority";
    EXPECT_EQ(::getpriority(PRIO_PROCESS, 0), niceBefore) << "the caller's priority is unchanged";
}

TEST(AThreadPriority, FollowsTheCpuSettingAndTreatsUnknownValuesAsNormal) {
    EXPECT_EQ(ThreadPriorityForCpu(0), EThreadPriority::Highest);
    EXPECT_EQ(ThreadPriorityForCpu(1), EThreadPriority::Normal);
    EXPECT_EQ(ThreadPriorityForCpu(2), EThreadPriority::Lowest);
    EXPECT_EQ(ThreadPriorityForCpu(7), EThreadPriority::Normal);
}

}  // namespace
