// Records what the program shows the user instead of showing it, for as long
// as it lives; the sink in place before comes back afterwards.
#pragma once

#include <string>
#include <vector>

#include "util/MessageSink.h"

class CRecordedMessages {
public:
    CRecordedMessages()
        : m_previous(SetMessageSink([this](const std::string& text) { m_texts.push_back(text); })) {
    }
    CRecordedMessages(const CRecordedMessages&) = delete;
    CRecordedMessages& operator=(const CRecordedMessages&) = delete;
    ~CRecordedMessages() { SetMessageSink(m_previous); }

    const std::vector<std::string>& Texts() const { return m_texts; }

private:
    std::vector<std::string> m_texts;
    MessageSink m_previous;
};
