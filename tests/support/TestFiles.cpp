#include "tests/support/TestFiles.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tests/support/SourceDir.h"

std::vector<uint8_t> BytesFromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::string HexFromBytes(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (uint8_t b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

void WriteTextFile(const std::string& path, const std::string& text) {
    WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadTextFile(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

std::filesystem::path SharedSamplesFolder() {
    const std::filesystem::path folder =
        std::filesystem::path(kSourceDir).parent_path() / "shared" / "samples";
    return std::filesystem::is_directory(folder) ? folder : std::filesystem::path();
}

namespace {

void AddJpegFilesBelow(const std::filesystem::path& folder,
                       std::vector<std::filesystem::path>& files) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".jpg") {
            files.push_back(entry.path());
        }
    }
}

}  // namespace

std::vector<std::filesystem::path> SampleJpegFiles() {
    std::vector<std::filesystem::path> files;
    AddJpegFilesBelow(std::filesystem::path(kSourceDir) / "tests" / "data", files);
    const std::filesystem::path shared = SharedSamplesFolder();
    if (!shared.empty()) {
        AddJpegFilesBelow(shared, files);
    }
    std::sort(files.begin(), files.end());
    return files;
}

CFileSizeLimit::CFileSizeLimit(uint64_t bytes) : m_signal(std::signal(SIGXFSZ, SIG_IGN)) {
    ::getrlimit(RLIMIT_FSIZE, &m_saved);
    rlimit lowered = m_saved;
    lowered.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
}

CFileSizeLimit::~CFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_signal);
}

std::vector<std::string> TemporaryFilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".kestrin-") != std::string::npos) {
            found.push_back(entry.path().string());
        }
    }
    return found;
}

int EndedProcessId() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

CFolderSnapshot FolderSnapshot(const std::filesystem::path& folder) {
    CFolderSnapshot files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().string()] = {ReadFile(entry.path().string()),
                                            entry.last_write_time()};
        }
    }
    return files;
}
