// The JSON record of one optimised file, as `kestrin-cli optimise --json`
// prints it: one compact object per line, the proof of what was done.
#pragma once

#include <QJsonObject>

#include "optimise/FileResult.h"

QJsonObject OptimiseRecord(const CFileResult& result);
