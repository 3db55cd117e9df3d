// Only our own debris of a run that has ended goes; everything else stays.
#include "util/DebrisSweep.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

enum class EKind { File, Folder, Link };

struct CDebrisCase {
    const char* name;
    // "{dead}" and "{self}" stand for the id of an ended process and of this one.
    std::string entry;
    EKind kind;
    bool swept;
};

void PrintTo(const CDebrisCase& row, std::ostream* out) {
    *out << row.name;
}

const CDebrisCase kDebrisCases[] = {
    {"TemporaryOfAnEndedRun", "a.jpg.kestrin-{dead}-Ab12Cd", EKind::File, true},
    {"ScratchFolderOfAnEndedRun", "kestrin-cli-{dead}-Ab12Cd", EKind::Folder, true},
    {"TemporaryOfARunStillAtWork", "a.jpg.kestrin-{self}-Ab12Cd", EKind::File, false},
    {"ScratchFolderOfARunStillAtWork", "kestrin-cli-{self}-Ab12Cd", EKind::Folder, false},
    {"TemporaryNamingNoProcess", "a.jpg.kestrin-Ab12Cd", EKind::File, false},
    {"TemporaryBesideNoName", ".kestrin-{dead}-Ab12Cd", EKind::File, false},
    {"TemporaryWithAShortEnd", "a.jpg.kestrin-{dead}-Ab12C", EKind::File, false},
    {"TemporaryWithMoreAfterIt", "a.jpg.kestrin-{dead}-Ab12Cd.jpg", EKind::File, false},
    {"AFolderNamedLikeATemporary", "a.jpg.kestrin-{dead}-Ab12Cd", EKind::Folder, false},
    {"AFileNamedLikeAScratchFolder", "kestrin-cli-{dead}-Ab12Cd", EKind::File, false},
    {"WindowScratchFolderOfAnEndedRun", "kestrin-{dead}-Ab12Cd", EKind::Folder, true},
    {"WindowScratchFolderOfAWindowStillOpen", "kestrin-{self}-Ab12Cd", EKind::Folder, false},
    {"WindowScratchFolderNamingNoProcess", "kestrin-Ab12Cd", EKind::Folder, false},
    {"ALinkNamedLikeATemporary", "a.jpg.kestrin-{dead}-Ab12Cd", EKind::Link, false},
};

std::string Named(std::string entry, pid_t dead) {
    for (const auto& [mark, pid] : {std::pair{"{dead}", dead}, std::pair{"{self}", ::getpid()}}) {
        if (const size_t at = entry.find(mark); at != std::string::npos) {
            entry.replace(at, std::string(mark).size(), std::to_string(pid));
        }
    }
    return entry;
}

class ADebrisSweep : public ::testing::TestWithParam<CDebrisCase> {};

TEST_P(ADebrisSweep, RemovesOnlyOurOwnOfEndedRuns) {
    const CDebrisCase& row = GetParam();
    const CTempDir folder;
    WriteTextFile(folder.File("a.jpg"), "photo");
    const std::string entry = folder.File(Named(row.entry, EndedProcessId()));
    switch (row.kind) {
        case EKind::File:
            WriteTextFile(entry, "");
            break;
        case EKind::Folder:
            fs::create_directory(entry);
            WriteTextFile(entry + "/tempdata.jpg", "");
            break;
        case EKind::Link:
            fs::create_symlink(folder.File("a.jpg"), entry);
            break;
    }
    SweepDebris(folder.Path().string());
    EXPECT_EQ(fs::exists(fs::symlink_status(entry)), !row.swept);
    EXPECT_EQ(ReadTextFile(folder.File("a.jpg")), "photo");
}

INSTANTIATE_TEST_SUITE_P(Cases, ADebrisSweep, ::testing::ValuesIn(kDebrisCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ADebrisPattern, NamesThisProcess) {
    const std::string self = std::to_string(::getpid());
    EXPECT_EQ(TemporaryPatternBeside("/p/a.jpg"), "/p/a.jpg.kestrin-" + self + "-XXXXXX");
    EXPECT_EQ(ScratchFolderPattern("/tmp"), "/tmp/kestrin-cli-" + self + "-XXXXXX");
    EXPECT_EQ(WindowScratchFolderPattern("/tmp"), "/tmp/kestrin-" + self + "-XXXXXX");
}

}  // namespace
