#include "cli/VerbParser.h"

#include <cstdio>
#include <utility>

QString AsLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromLatin1(const QString& text) {
    return text.toLatin1().toStdString();
}

CVerbParser::CVerbParser(std::string verb, const std::string& synopsis,
                         const std::string& description)
    : m_strVerb(std::move(verb)), m_strSynopsis(synopsis) {
    m_parser.setApplicationDescription(QString::fromStdString(description));
    AddOption({QStringLiteral("h"), QStringLiteral("help")}, "show this text");
}

void CVerbParser::AddOption(const QStringList& names, const std::string& description,
                            const std::string& valueName) {
    m_parser.addOption(QCommandLineOption(names, QString::fromStdString(description),
                                          QString::fromStdString(valueName)));
    m_declared << names;
}

void CVerbParser::AddArgument(const std::string& name, const std::string& description) {
    m_parser.addPositionalArgument(QString::fromStdString(name),
                                   QString::fromStdString(description));
}

void CVerbParser::ExpectArguments(size_t minimum, size_t maximum) {
    m_nMinimum = minimum;
    m_nMaximum = maximum;
}

void CVerbParser::StopOptionsAtFirstArgument() {
    m_parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
}

std::optional<int> CVerbParser::Parse(const Arguments& arguments) {
    QStringList words{QStringLiteral("kestrin-cli")};
    for (const std::string& argument : arguments) {
        words << AsLatin1(argument);
    }
    if (!m_parser.parse(words)) {
        // Qt's own words are ASCII: only the argument quoted in them changes.
        return Error(FromLatin1(m_parser.errorText()));
    }
    if (m_parser.isSet(QStringLiteral("help"))) {
        std::fputs(HelpText().c_str(), stdout);
        return kExitSuccess;
    }
    for (const QString& word : m_parser.positionalArguments()) {
        m_positional.push_back(FromLatin1(word));
    }
    return CheckArgumentCount();
}

std::optional<int> CVerbParser::CheckArgumentCount() const {
    if (m_positional.size() < m_nMinimum) {
        return Error(m_positional.empty() ? "no file given"
                                          : std::to_string(m_nMinimum) + " files are needed");
    }
    if (m_positional.size() > m_nMaximum) {
        return Error("unexpected argument " + m_positional[m_nMaximum]);
    }
    return std::nullopt;
}

bool CVerbParser::IsSet(const char* name) const {
    return m_declared.contains(QLatin1String(name)) && m_parser.isSet(QLatin1String(name));
}

std::string CVerbParser::Value(const char* name) const {
    const std::vector<std::string> values = Values(name);
    return values.empty() ? std::string() : values.back();
}

std::vector<std::string> CVerbParser::Values(const char* name) const {
    std::vector<std::string> values;
    if (IsSet(name)) {
        for (const QString& value : m_parser.values(QLatin1String(name))) {
            values.push_back(FromLatin1(value));
        }
    }
    return values;
}

int CVerbParser::Error(const std::string& problem) const {
    std::fprintf(stderr, "kestrin-cli: %s: %s\n\n%s", m_strVerb.c_str(), problem.c_str(),
                 HelpText().c_str());
    return kExitUsage;
}

// Qt's help with our usage line: without an application object it names
// no program, and a verb's line says more than "[options]".
std::string CVerbParser::HelpText() const {
    const std::string qtHelp = m_parser.helpText().toStdString();
    const size_t firstLineEnd = qtHelp.find('\n');
    return "Usage: kestrin-cli " + m_strVerb + " " + m_strSynopsis +
           (firstLineEnd == std::string::npos ? "\n" : qtHelp.substr(firstLineEnd));
}
