// One optimising worker of kestrin-cli: its own scratch files and engines.
// Its cut Exif blocks stay in memory: nobody looks at a worker's scratch files.
#pragma once

#include <string>
#include <vector>

#include "cli/BatchArguments.h"
#include "optimise/BatchOptimiser.h"

struct COptimiseWorker {
    COptimiseWorker(const CSettingsStore& settings, const std::vector<std::string>& keptCodes)
        : work(scratch.WorkFiles()), batch(work, settings, keptCodes) {
        batch.KeepNoWorkFiles();
    }

    CScratchFolder scratch;
    CWorkFiles work;
    CBatchOptimiser batch;
};
