#include "tests/editor/EditorSession.h"

#include <gtest/gtest.h>

#include "editor/EditorWorkCopy.h"
#include "imaging/JpegDecoder.h"
#include "segment/KeptHeaderList.h"
#include "tests/support/TestFiles.h"

CEditorSession::CEditorSession(const std::vector<uint8_t>& file)
    : work(MakeWorkFiles(folder.File(""), folder.File(""))), kept(DefaultKeptHeaderCodes()) {
    const std::string source = folder.File("source.jpg");
    WriteFile(source, file);
    EXPECT_TRUE(DecodeJpegToPacked(source, reference));
    const std::optional<size_t> exifPosition = PrepareEditorWorkCopy(source, work);
    EXPECT_TRUE(exifPosition.has_value());
    CHedThread record;
    record.m_strFileName = work.m_strTempData;
    EXPECT_TRUE(ScanJpegHeaders(record));
    editor.SetReference(&reference);
    editor.TakeScan(record, exifPosition.value_or(kExifAfterStartMarker));
}

CSegmentList CEditorSession::ScanBytes(const std::vector<uint8_t>& file) {
    CHedThread record;
    ScanJpegBytes(record, file.data(), file.size());
    return record.m_Obj;
}

std::vector<std::string> RowCodes(const CMarkerEditor& editor) {
    std::vector<std::string> codes;
    for (int row = 0; row < editor.RowCount(); ++row) {
        codes.push_back(editor.RowSegment(row).m_strCode);
    }
    return codes;
}
