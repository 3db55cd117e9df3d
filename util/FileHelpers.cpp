#include "util/FileHelpers.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "hexcodec/Cipher.h"
#include "util/FileBytes.h"
#include "util/FileError.h"
#include "util/FileHandle.h"

namespace {

constexpr size_t kCopyBlockBytes = 64 * 1024;
constexpr size_t kHexPieceBytes = 32 * 1024;
// What a file is read in on its way to hex text.
constexpr size_t kHexBlockBytes = 1 << 20;
constexpr size_t kGapBlockBytes = 1 << 20;

[[noreturn]] void ThrowFileError(const std::string& path) {
    throw CFileException(path, errno);
}

bool IsFolder(int fd) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
}

bool IsSameIdentity(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Checked by path before the destination is opened (it may be read-only) and
// by descriptor afterwards (the path may have changed in between).
bool IsSameFileAsPath(int fd, const std::string& path) {
    struct stat a {};
    struct stat b {};
    return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && IsSameIdentity(a, b);
}

bool IsSameFile(int first, int second) {
    struct stat a {};
    struct stat b {};
    return ::fstat(first, &a) == 0 && ::fstat(second, &b) == 0 && IsSameIdentity(a, b);
}

void TruncateRegularFile(const CFileHandle& file, size_t length = 0) {
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) {
        ThrowFileError(file.Path());
    }
    if (S_ISREG(status.st_mode) && ::ftruncate(file.Get(), static_cast<off_t>(length)) != 0) {
        ThrowFileError(file.Path());
    }
}

void CopyBlocks(const CFileHandle& source, const CFileHandle& destination) {
    std::vector<char> block(kCopyBlockBytes);
    for (;;) {
        const size_t got = source.ReadUpTo(block.data(), block.size());
        destination.WriteAll(block.data(), got);
        if (got < block.size()) {
            return;
        }
    }
}

int OpenFlagsFor(EFileWrite how) {
    return O_WRONLY | O_CREAT | (how == EFileWrite::Anew ? O_TRUNC : 0);
}

// Cuts a regular file written over to the length written; the rest of its
// old content goes.
void EndWrittenOver(const CFileHandle& file, EFileWrite how, size_t length) {
    if (how == EFileWrite::OverOld) {
        TruncateRegularFile(file, length);
    }
}

// Collects the exit status so that the started program leaves no zombie behind.
void ReapInBackground(pid_t child) {
    std::thread([child] {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

// Writes the upper-case hex text of size bytes to output, a piece at a time.
void WriteHexPieces(const CFileHandle& output, const uint8_t* bytes, size_t size) {
    const CCipher cipher;
    std::string piece(2 * kHexPieceBytes + 1, '\0');
    for (size_t pos = 0; pos < size; pos += kHexPieceBytes) {
        const size_t pieceBytes = std::min(kHexPieceBytes, size - pos);
        cipher.Bin2CharHex(piece.data(), bytes + pos, static_cast<int>(pieceBytes));
        output.WriteAll(piece.data(), 2 * pieceBytes);
    }
}

}  // namespace

std::string HexTextOf(const ByteVector& bytes) {
    const CCipher cipher;
    std::string hex(2 * bytes.size() + 1, '\0');
    for (size_t pos = 0; pos < bytes.size(); pos += kHexPieceBytes) {
        const size_t pieceBytes = std::min(kHexPieceBytes, bytes.size() - pos);
        cipher.Bin2CharHex(hex.data() + 2 * pos, bytes.data() + pos, static_cast<int>(pieceBytes));
    }
    hex.pop_back();
    return hex;
}

void WriteHexTextFile(const std::string& path, const uint8_t* bytes, size_t size, EFileWrite how) {
    CFileHandle output(path, OpenFlagsFor(how));
    if (!output.IsOpen()) {
        ThrowFileError(path);
    }
    WriteHexPieces(output, bytes, size);
    EndWrittenOver(output, how, 2 * size);
    output.CloseChecked();
}

bool CopyFileBlocks(const std::string& source, const std::string& destination) {
    const CFileHandle input(source, O_RDONLY);
    if (!input.IsOpen() || IsFolder(input.Get())) {
        return false;
    }
    if (IsSameFileAsPath(input.Get(), destination)) {
        return true;
    }
    // Opened without truncation: only after the same-file test may it lose its bytes.
    CFileHandle output(destination, O_WRONLY | O_CREAT);
    if (!output.IsOpen()) {
        return false;
    }
    if (IsSameFile(input.Get(), output.Get())) {
        return true;
    }
    TruncateRegularFile(output);
    CopyBlocks(input, output);
    output.CloseChecked();
    return true;
}

void BinaryFileToHexFile(const std::string& source, const std::string& destination) {
    const CFileHandle input(source, O_RDONLY);
    if (!input.IsOpen() || IsSameFileAsPath(input.Get(), destination)) {
        // Read whole first: source and destination may be the same file.
        const std::optional<ByteVector> bytes = ReadFileBytes(source);
        WriteWholeFile(destination, bytes ? HexTextOf(*bytes) : std::string());
        return;
    }
    CFileHandle output(destination, O_WRONLY | O_CREAT | O_TRUNC);
    if (!output.IsOpen()) {
        return;
    }
    ByteVector block(kHexBlockBytes);
    for (size_t got = block.size(); got == block.size();) {
        got = input.ReadUpTo(block.data(), block.size());
        WriteHexPieces(output, block.data(), got);
    }
    output.CloseChecked();
}

void CloseFileGap(const CFileHandle& file, uint64_t to, uint64_t from) {
    std::vector<char> block(kGapBlockBytes);
    for (size_t got = block.size(); got == block.size(); from += got, to += got) {
        file.SeekTo(from);
        got = file.ReadUpTo(block.data(), block.size());
        file.SeekTo(to);
        file.WriteAll(block.data(), got);
    }
    if (::ftruncate(file.Get(), static_cast<off_t>(to)) != 0) {
        ThrowFileError(file.Path());
    }
}

void OpenFileGap(const CFileHandle& file, uint64_t from, uint64_t to, uint64_t size) {
    std::vector<char> block(kGapBlockBytes);
    for (uint64_t end = size; end > from;) {
        const auto count = static_cast<size_t>(std::min<uint64_t>(block.size(), end - from));
        end -= count;
        file.SeekTo(end);
        if (file.ReadUpTo(block.data(), count) != count) {
            throw CFileException(file.Path(), EIO);
        }
        file.SeekTo(end - from + to);
        file.WriteAll(block.data(), count);
    }
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size, EFileWrite how) {
    CFileHandle output(path, OpenFlagsFor(how));
    if (!output.IsOpen()) {
        return false;
    }
    output.WriteAll(data, size);
    EndWrittenOver(output, how, size);
    output.CloseChecked();
    return true;
}

bool FileExists(const std::string& path) {
    // Looked at, not opened: opening a named pipe could wait for a writer.
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode) &&
           ::access(path.c_str(), R_OK) == 0;
}

std::string GetProgramFolder() {
    std::error_code error;
    const std::string program = std::filesystem::read_symlink("/proc/self/exe", error).string();
    const size_t slash = program.rfind('/');
    if (error || slash == std::string::npos) {
        return {};
    }
    return program.substr(0, slash + 1);
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

bool OpenWithAssociatedApp(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    // An absolute path cannot be mistaken for an option ("-x") or a URL ("http:x").
    std::error_code error;
    std::string absolute = std::filesystem::absolute(path, error).string();
    if (error) {
        return false;
    }
    std::string program = "xdg-open";
    char* const arguments[] = {program.data(), absolute.data(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments, environ) != 0) {
        return false;
    }
    ReapInBackground(child);
    return true;
}
