// What a test reads of a whole batch run: every file's log in order, and
// each file's result.
#pragma once

#include <string>
#include <vector>

#include "optimise/BatchOptimiser.h"

struct CBatchTranscript {
    std::string log;
    std::vector<EFileOutcome> outcomes;
    std::vector<CFileResult> results;

    // Starts afresh and records every file batch ends from now on.
    void Follow(CBatchOptimiser& batch) {
        *this = CBatchTranscript();
        batch.OnFileEnded([this](const CFileResult& result) {
            log += result.m_strLog;
            outcomes.push_back(result.m_eOutcome);
            results.push_back(result);
        });
    }
};
