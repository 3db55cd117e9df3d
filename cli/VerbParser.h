// One verb's command line, parsed by QCommandLineParser: the options the verb
// declares, its own usage for -h/--help, and a usage error (its usage on
// standard error, status kExitUsage) for anything it does not take.
// Arguments pass through as Latin-1 characters, so every byte of a file name
// or value that is not UTF-8 comes back unchanged.
#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

class CVerbParser {
public:
    static constexpr size_t kAnyNumber = std::numeric_limits<size_t>::max();

    // verb: the words after kestrin-cli ("exif show"); synopsis: the rest of
    // the usage line; description: what --help says below it.
    CVerbParser(std::string verb, const std::string& synopsis, const std::string& description);
    CVerbParser(const CVerbParser&) = delete;
    CVerbParser& operator=(const CVerbParser&) = delete;

    // valueName empty: a flag.
    void AddOption(const QStringList& names, const std::string& description,
                   const std::string& valueName = {});
    // Describes a positional argument in the usage.
    void AddArgument(const std::string& name, const std::string& description);
    // How many positional arguments the verb takes; at least one by default.
    void ExpectArguments(size_t minimum, size_t maximum);
    // Everything after the first positional argument is positional too (a
    // verb's own words, or a value that may start with '-').
    void StopOptionsAtFirstArgument();

    // The status to end with at once: kExitSuccess after printing the usage
    // for --help, kExitUsage after reporting a usage error. Nothing when the
    // verb goes on.
    std::optional<int> Parse(const Arguments& arguments);

    // False for an option the verb did not declare.
    bool IsSet(const char* name) const;
    // The last value given (bytes as typed), empty when none was.
    std::string Value(const char* name) const;
    std::vector<std::string> Values(const char* name) const;
    const std::vector<std::string>& Positional() const { return m_positional; }

    // Reports "kestrin-cli: VERB: problem" and the verb's usage on standard
    // error; returns kExitUsage.
    int Error(const std::string& problem) const;
    std::string HelpText() const;

private:
    std::optional<int> CheckArgumentCount() const;

    std::string m_strVerb;
    std::string m_strSynopsis;
    QCommandLineParser m_parser;
    QStringList m_declared;
    std::vector<std::string> m_positional;
    size_t m_nMinimum = 1;
    size_t m_nMaximum = kAnyNumber;
};

// text's bytes as Latin-1 characters, and back.
QString AsLatin1(const std::string& text);
std::string FromLatin1(const QString& text);
