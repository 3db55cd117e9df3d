// Runs the built kestrin-cli as a user would and collects what it printed.
#pragma once

#include <QJsonObject>
#include <string>
#include <vector>

struct CCliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The folder of the built programs (KESTRIN_BIN_DIR, which the test
// registration sets); throws when it is not set.
std::string CliFolder();

// environment: extra NAME=value entries for the child. outputPath: where its
// standard output goes instead of into the result (/dev/full, say).
CCliResult RunCli(const std::vector<std::string>& arguments,
                  const std::vector<std::string>& environment = {},
                  const std::string& outputPath = {});

// out as the one JSON object on its one line; an empty object when out is
// not exactly that.
QJsonObject JsonLineOf(const std::string& out);
