// What a batch over dropped files runs on, made fresh for each test: a
// private folder with a work folder inside, the work files there, settings in
// memory, the default kept header codes and an Exif engine. What the program
// would show the user is recorded instead.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exif/ExifEngine.h"
#include "settings/MemorySettingsStore.h"
#include "tests/support/RecordedMessages.h"
#include "tests/support/TempDir.h"
#include "util/WorkFiles.h"

class CBatchFixture : public ::testing::Test {
protected:
    CBatchFixture();

    // Writes bytes as name in the folder; its path.
    std::string Place(const std::string& name, const std::vector<uint8_t>& bytes);
    // The engine anew over a tag file in the work folder holding text.
    void UseTagFile(const std::string& text);
    // The engine anew over a copy of the tag file the program ships.
    void UseShippedTagFile();

    CTempDir folder;
    CWorkFiles work;
    CMemorySettingsStore settings;
    const std::vector<std::string> keptCodes;
    // Without a tag file until a test asks for one.
    std::unique_ptr<CExifEngine> exif;
    CRecordedMessages recorded;
    const std::vector<std::string>& messages = recorded.Texts();
};
