// The growing log text of a batch, which tells its view after every change.
#pragma once

#include <string>

#include "util/EngineListener.h"

class CBatchLog {
public:
    explicit CBatchLog(IEngineListener* listener) : m_pListener(listener) {}

    void Append(const std::string& text) {
        m_strText += text;
        Changed();
    }
    void Clear() {
        m_strText.clear();
        Changed();
    }
    const std::string& Text() const { return m_strText; }

private:
    void Changed() {
        if (m_pListener != nullptr) {
            m_pListener->OnLogChanged();
        }
    }

    IEngineListener* m_pListener;
    std::string m_strText;
};
