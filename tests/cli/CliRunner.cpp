#include "tests/cli/CliRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonDocument>
#include <cstdlib>
#include <stdexcept>

#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

extern char** environ;

std::string CliFolder() {
    const char* folder = std::getenv("KESTRIN_BIN_DIR");
    if (folder == nullptr) {
        throw std::runtime_error("KESTRIN_BIN_DIR is not set");
    }
    return folder;
}

CCliResult RunCli(const std::vector<std::string>& arguments,
                  const std::vector<std::string>& environment, const std::string& outputPath) {
    CTempDir folder;
    const std::string outPath = outputPath.empty() ? folder.File("out") : outputPath;
    const std::string errPath = folder.File("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);

    const std::string program = CliFolder() + "/kestrin-cli";
    std::vector<std::string> argumentTexts{program};
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : argumentTexts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> environmentTexts(environment);
    for (char** entry = environ; *entry != nullptr; ++entry) {
        environmentTexts.emplace_back(*entry);
    }
    std::vector<char*> envp;
    for (std::string& text : environmentTexts) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);

    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    CCliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = outputPath.empty() ? ReadTextFile(outPath) : std::string();
    result.err = ReadTextFile(errPath);
    return result;
}

QJsonObject JsonLineOf(const std::string& out) {
    if (out.empty() || out.find('\n') != out.size() - 1) {
        return {};
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    return error.error == QJsonParseError::NoError ? document.object() : QJsonObject();
}
