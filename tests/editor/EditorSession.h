// A marker editor on a file the test gives, as the page sets it up: work
// copy made, Exif block cut, scanned, handed to the editor with the picture
// of the original as its reference.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/MarkerEditor.h"
#include "imaging/PackedPicture.h"
#include "settings/MemorySettingsStore.h"
#include "tests/support/RecordedMessages.h"
#include "tests/support/TempDir.h"

struct CEditorSession {
    explicit CEditorSession(const std::vector<uint8_t>& file);
    CEditorSession(const CEditorSession&) = delete;
    CEditorSession& operator=(const CEditorSession&) = delete;

    // The segment list the bytes of file scan into, without touching the work files.
    static CSegmentList ScanBytes(const std::vector<uint8_t>& file);

    CTempDir folder;
    CWorkFiles work;
    CMemorySettingsStore settings;
    std::vector<std::string> kept;
    CPackedPicture reference;
    CRecordedMessages recorded;
    const std::vector<std::string>& messages = recorded.Texts();
    CMarkerEditor editor{work, settings, kept};
};

// The codes of the rows the editor shows, in order.
std::vector<std::string> RowCodes(const CMarkerEditor& editor);
