// Copying, hex conversion and the small file queries the wizards rely on.
#include "util/FileHelpers.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/FileHandle.h"

namespace {

std::vector<uint8_t> CountingBytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 256);
    }
    return bytes;
}

class AFileCopy : public ::testing::Test {
protected:
    CTempDir m_dir;
    const std::string m_source = m_dir.File("source.jpg");
    const std::string m_destination = m_dir.File("tempdata.jpg");
};

TEST_F(AFileCopy, ProducesIdenticalFilesOfAnySize) {
    for (size_t size : {size_t{0}, size_t{200}, size_t{64 * 1024}, size_t{200 * 1024 + 1}}) {
        const std::vector<uint8_t> bytes = CountingBytes(size);
        WriteFile(m_source, bytes);
        EXPECT_TRUE(CopyFileBlocks(m_source, m_destination)) << size;
        EXPECT_EQ(ReadFile(m_destination), bytes) << size;
    }
}

TEST_F(AFileCopy, LeavesExactlyTheSourceBytesOverALongerFile) {
    WriteFile(m_destination, CountingBytes(5000));
    WriteFile(m_source, BytesFromHex("FFD8FFD9"));
    EXPECT_TRUE(CopyFileBlocks(m_source, m_destination));
    EXPECT_EQ(ReadFile(m_destination), BytesFromHex("FFD8FFD9"));
}

TEST_F(AFileCopy, OfAFileOntoItselfLeavesItIntactWhateverThePathSpelling) {
    const std::vector<uint8_t> bytes = CountingBytes(3000);
    WriteFile(m_source, bytes);
    std::filesystem::create_directory(m_dir.Path() / "sub");
    std::filesystem::create_hard_link(m_source, m_dir.File("hardlink.jpg"));
    std::filesystem::create_symlink(m_source, m_dir.File("symlink.jpg"));
    const std::vector<std::string> sameFile = {
        m_source,
        m_dir.File("./source.jpg"),
        m_dir.File("sub/../source.jpg"),
        m_dir.File("hardlink.jpg"),
        m_dir.File("symlink.jpg"),
    };
    for (const std::string& destination : sameFile) {
        EXPECT_TRUE(CopyFileBlocks(m_source, destination)) << destination;
        EXPECT_EQ(ReadFile(m_source), bytes) << destination;
    }
}

TEST_F(AFileCopy, FromAMissingSourceFailsAndLeavesTheDestinationAlone) {
    WriteFile(m_destination, CountingBytes(100));
    EXPECT_FALSE(CopyFileBlocks(m_dir.File("missing.jpg"), m_destination));
    EXPECT_EQ(ReadFile(m_destination), CountingBytes(100));

    EXPECT_FALSE(CopyFileBlocks(m_dir.File("missing.jpg"), m_dir.File("new.jpg")));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("new.jpg")));
}

TEST_F(AFileCopy, FailsForAFolderAsSourceOrAnUnreachableDestination) {
    WriteFile(m_source, CountingBytes(10));
    EXPECT_FALSE(CopyFileBlocks(m_dir.Path().string(), m_destination));
    EXPECT_FALSE(std::filesystem::exists(m_destination));
    EXPECT_FALSE(CopyFileBlocks(m_source, m_dir.File("no/such/folder.jpg")));
    EXPECT_FALSE(CopyFileBlocks(m_source, m_dir.Path().string()));
}

class AHexFile : public ::testing::Test {
protected:
    CTempDir m_dir;
    const std::string m_binary = m_dir.File("exif_dat.pdt");
    const std::string m_hex = m_dir.File("temphexa.pdt");
};

TEST_F(AHexFile, HoldsTheUpperCaseHexOfEveryByteAndNothingElse) {
    WriteFile(m_binary, BytesFromHex("FFD8FFD9"));
    BinaryFileToHexFile(m_binary, m_hex);
    EXPECT_EQ(ReadTextFile(m_hex), "FFD8FFD9");

    const std::vector<uint8_t> large = CountingBytes(100 * 1024 + 3);
    WriteFile(m_binary, large);
    BinaryFileToHexFile(m_binary, m_hex);
    EXPECT_EQ(ReadTextFile(m_hex), HexFromBytes(large));
    WriteHexTextFile(m_hex, large.data(), large.size());
    EXPECT_EQ(ReadTextFile(m_hex), HexFromBytes(large));
}

TEST_F(AHexFile, IsEmptyWhenTheSourceCannotBeRead) {
    WriteTextFile(m_hex, "FFD8 from an earlier run");
    BinaryFileToHexFile(m_dir.File("missing"), m_hex);
    EXPECT_EQ(ReadTextFile(m_hex), "");
}

TEST_F(AHexFile, CanReplaceItsOwnSource) {
    WriteFile(m_binary, BytesFromHex("00FF10"));
    BinaryFileToHexFile(m_binary, m_binary);
    EXPECT_EQ(ReadTextFile(m_binary), "00FF10");
}

TEST(AWholeFileWrite, ReplacesTheContentOrReportsThatTheFileCannotBeCreated) {
    const CTempDir dir;
    WriteFile(dir.File("list"), CountingBytes(500));
    EXPECT_TRUE(WriteWholeFile(dir.File("list"), "short"));
    EXPECT_EQ(ReadTextFile(dir.File("list")), "short");
    EXPECT_FALSE(WriteWholeFile(dir.File("missing/list"), "x"));
}

// Written over or anew, a file holds exactly what was written last, whatever
// it held before: longer, shorter, or nothing at all.
TEST(AWholeFileWrite, LeavesNothingOfTheOldContentEitherWay) {
    const CTempDir dir;
    const std::vector<uint8_t> bytes = CountingBytes(300);
    for (const EFileWrite how : {EFileWrite::Anew, EFileWrite::OverOld}) {
        for (const size_t before : {size_t{0}, size_t{100}, size_t{5000}}) {
            const std::string binary = dir.File("binary");
            const std::string hex = dir.File("hex");
            std::filesystem::remove(binary);
            std::filesystem::remove(hex);
            if (before > 0) {
                WriteFile(binary, CountingBytes(before));
                WriteFile(hex, CountingBytes(before));
            }
            EXPECT_TRUE(WriteWholeFile(binary, bytes.data(), bytes.size(), how));
            WriteHexTextFile(hex, bytes.data(), bytes.size(), how);
            EXPECT_EQ(ReadFile(binary), bytes) << before;
            EXPECT_EQ(ReadTextFile(hex), HexFromBytes(bytes)) << before;
        }
    }
}

TEST(AnExistenceTest, AnswersTrueOnlyForFilesThatCanBeOpened) {
    const CTempDir dir;
    WriteTextFile(dir.File("there"), "");
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_TRUE(FileExists(dir.File("there")));
    EXPECT_TRUE(FileExists(dir.File("pipe")));  // must not wait for a writer
    EXPECT_FALSE(FileExists(dir.File("missing")));
    EXPECT_FALSE(FileExists(dir.Path().string()));
    EXPECT_FALSE(FileExists(""));
}

struct COpenCase {
    const char* name;
    std::string path;  // "{}" stands for the test's folder
    int flags;
    int error;  // 0 when the open succeeds
};

void PrintTo(const COpenCase& row, std::ostream* out) {
    *out << row.name;
}

const COpenCase kOpenCases[] = {
    {"ARegularFile", "{}/file", O_RDONLY, 0},
    {"ANewFile", "{}/new", O_WRONLY | O_CREAT | O_TRUNC, 0},
    {"AMissingFile", "{}/missing", O_RDONLY, ENOENT},
    {"ANamedPipeToRead", "{}/pipe", O_RDONLY, ENXIO},
    {"ANamedPipeToWrite", "{}/pipe", O_WRONLY | O_TRUNC, ENXIO},
    {"ALinkToANamedPipe", "{}/link", O_RDONLY, ENXIO},
    {"AFolder", "{}", O_RDONLY, EISDIR},
    {"ADevice", "/dev/null", O_RDONLY, ENXIO},
};

// Each refusal comes at once: nothing waits for a writer or reader of a pipe.
class AnOpenOfARegularFile : public ::testing::TestWithParam<COpenCase> {};

TEST_P(AnOpenOfARegularFile, RefusesEverythingElseWithoutWaiting) {
    const COpenCase& row = GetParam();
    const CTempDir dir;
    WriteTextFile(dir.File("file"), "x");
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir.File("pipe"), dir.File("link"));
    std::string path = row.path;
    if (path.starts_with("{}")) {
        path.replace(0, 2, dir.Path().string());
    }
    errno = 0;
    const int fd = OpenRegularFile(path, row.flags);
    EXPECT_EQ(fd >= 0, row.error == 0);
    EXPECT_EQ(fd >= 0 ? 0 : errno, row.error);
    if (fd >= 0) {
        EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
        ::close(fd);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AnOpenOfARegularFile, ::testing::ValuesIn(kOpenCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TheProgramFolder, EndsWithASlashAndHoldsTheRunningProgram) {
    const std::string folder = GetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    const std::string programName = std::filesystem::path(program_invocation_name).filename();
    EXPECT_TRUE(FileExists(folder + programName));
}

// Puts a stand-in xdg-open first on PATH that writes its argument to a file.
class AnAssociatedAppLaunch : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        m_oldPath = path != nullptr ? path : "";
        const std::string script = "#!/bin/sh\nprintf '%s' \"$1\" > '" + m_dir.File("arg.tmp") +
                                   "' && mv '" + m_dir.File("arg.tmp") + "' '" + m_dir.File("arg") +
                                   "'\n";
        WriteTextFile(m_dir.File("xdg-open"), script);
        std::filesystem::permissions(m_dir.File("xdg-open"), std::filesystem::perms::owner_all);
        ::setenv("PATH", (m_dir.Path().string() + ":" + m_oldPath).c_str(), 1);
    }
    void TearDown() override { ::setenv("PATH", m_oldPath.c_str(), 1); }

    std::string WaitForArgument() const {
        for (int i = 0; i < 500 && !std::filesystem::exists(m_dir.File("arg")); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::filesystem::exists(m_dir.File("arg")) ? ReadTextFile(m_dir.File("arg")) : "";
    }

    CTempDir m_dir;
    std::string m_oldPath;
};

TEST_F(AnAssociatedAppLaunch, HandsOverAnAbsolutePathSoNoNameReadsAsAnOption) {
    const std::string current = std::filesystem::current_path().string();
    ASSERT_TRUE(OpenWithAssociatedApp("--help"));
    EXPECT_EQ(WaitForArgument(), current + "/--help");
}

TEST_F(AnAssociatedAppLaunch, FailsWhenNoOpenerIsInstalled) {
    ::setenv("PATH", m_dir.File("empty").c_str(), 1);
    EXPECT_FALSE(OpenWithAssociatedApp(m_dir.File("picture.jpg")));
    EXPECT_FALSE(OpenWithAssociatedApp(""));
}

}  // namespace
