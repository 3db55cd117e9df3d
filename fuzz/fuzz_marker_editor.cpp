// Opens a hostile file in the marker editor as the editor page does and runs
// a hostile sequence of its commands. After every command the size counter
// must be the size of the working list and the rebuilt work copy exactly that
// list's bytes; at the end, undoing every step must give back the list the
// histories started from, and redoing as many steps the list before.
//
// Input: a flags byte (advanced editing, keep APP0, start showing every
// segment), the file's length in two bytes, the file, then the commands:
// a byte for the command, then its row and the typed segment where it takes them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editor/EditorWorkCopy.h"
#include "editor/MarkerEditor.h"
#include "editor/SegmentDataForm.h"
#include "fuzz/EditorCommands.h"
#include "fuzz/FuzzSupport.h"
#include "segment/KeptHeaderList.h"
#include "segment/SegmentFiles.h"
#include "settings/MemorySettingsStore.h"
#include "util/FileHelpers.h"
#include "util/TextHelpers.h"

namespace {

constexpr size_t kMostCommands = 24;
constexpr size_t kLongestAddedData = 40;
constexpr uint8_t kNoRow = 0xFF;

struct CEditorFiles {
    CEditorFiles() { SilenceMessages(); }
    CFuzzFolder folder;
    CWorkFiles work = MakeWorkFiles(folder.File(""), folder.File(""));
    std::string source = folder.File("source.jpg");
    std::vector<std::string> kept = DefaultKeptHeaderCodes();
};

// A row as the user picks it: one of the shown rows, or none selected.
int PickRow(CFuzzReader& input, const CMarkerEditor& editor) {
    const uint8_t pick = input.Byte();
    if (pick == kNoRow || editor.RowCount() == 0) {
        return -1;
    }
    return pick % editor.RowCount();
}

// A segment as the data dialog lets it through, its size field filled in.
std::optional<CJpegSegment> TypedSegment(CFuzzReader& input) {
    CSegmentDataFields fields = FieldsForNewSegment();
    fields.m_strMarker = FormatHex4(input.Byte()).substr(2);
    const ByteVector data = input.Bytes(input.Byte() % kLongestAddedData);
    fields.m_strData = TextToHex(std::string(data.begin(), data.end()));
    fields.m_strSize = SegmentSizeField(fields.m_strData);
    if (CheckSegmentData(fields).m_control != ESegmentDataControl::None) {
        return std::nullopt;
    }
    return SegmentFromFields(fields);
}

// The counter against the list, and, once a command rebuilt it (until then
// it holds the file as it came), the work copy against the list's bytes. A
// segment whose marker text is short (data in front of the first marker, a
// lone FF at the end) is counted with two marker bytes all the same.
void CheckCounterAndWorkCopy(const CMarkerEditor& editor, const CWorkFiles& work, bool rebuilt) {
    const CSegmentList& list = editor.WorkingList();
    Require(editor.NewBytes() == SegmentBytes(list));
    const std::optional<ByteVector> bytes = SegmentsToBytes(list);
    Require(bytes.has_value());
    int64_t uncountedMarkerBytes = 0;
    for (const CJpegSegment& segment : list) {
        uncountedMarkerBytes += 2 - static_cast<int64_t>(segment.m_strCode.size()) / 2;
    }
    Require(static_cast<int64_t>(bytes->size()) == editor.NewBytes() - uncountedMarkerBytes);
    Require(!rebuilt || ReadFileBytes(work.m_strTempData) == bytes);
}

// Runs one command; true when it rebuilt the work copy. The list the
// histories start from changes with a reset and with the removal of
// proprietary data.
bool RunCommand(CFuzzReader& input, CMarkerEditor& editor, CSegmentList& historyStart) {
    switch (input.Byte() % kCommandCount) {
        case Zero:
            return editor.OverwriteWithZeros(PickRow(input, editor));
        case Delete:
            return editor.DeleteRow(PickRow(input, editor));
        case Add: {
            const int row = PickRow(input, editor);
            const std::optional<CJpegSegment> typed = TypedSegment(input);
            return typed && editor.AddAfter(row, *typed);
        }
        case Edit: {
            const int row = PickRow(input, editor);
            const std::optional<CJpegSegment> typed = TypedSegment(input);
            return typed && editor.EditRow(row, *typed);
        }
        case Undo:
            return editor.Undo();
        case Redo:
            return editor.Redo();
        case Reset:
            editor.ResetToInitial();
            historyStart = editor.InitialList();
            return true;
        case RemoveProprietary:
            if (!editor.CanRemoveProprietary()) {
                return false;
            }
            editor.RemoveProprietaryData();
            historyStart = editor.WorkingList();
            return true;
        case ShowAll:
            editor.SetShowAll(!editor.ShowAll());
            return false;
    }
    return false;
}

void UndoAndRedoEverything(CMarkerEditor& editor, const CSegmentList& historyStart) {
    if (!editor.EditingAllowed()) {
        editor.SetShowAll(false);
    }
    const CSegmentList edited = editor.WorkingList();
    const size_t steps = editor.UndoSteps().size();
    const size_t undoneBefore = editor.RedoSteps().size();
    while (editor.CanUndo()) {
        Require(editor.Undo());
    }
    Require(editor.WorkingList() == historyStart);
    Require(editor.NewBytes() == SegmentBytes(historyStart));
    Require(editor.RedoSteps().size() == undoneBefore + steps);
    for (size_t step = 0; step < steps; ++step) {
        Require(editor.Redo());
    }
    Require(editor.WorkingList() == edited);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CEditorFiles files;
    CFuzzReader input(data, size);
    const uint8_t flags = input.Byte();
    const ByteVector file = input.SizedBytes();
    if (DeclaresLargePicture(file)) {
        return -1;
    }
    CMemorySettingsStore settings;
    settings.Write(settings::kJoukyuuEdit, flags & 1);
    settings.Write(settings::kFfe0, flags >> 1 & 1);
    CPackedPicture reference;
    const bool decodes = DecodeForFuzz(file, reference);

    files.folder.Empty();
    Require(WriteWholeFile(files.source, file.data(), file.size()));
    const std::optional<size_t> exifPosition = PrepareEditorWorkCopy(files.source, files.work);
    Require(exifPosition.has_value());
    CHedThread record;
    record.m_strFileName = files.work.m_strTempData;
    if (!ScanJpegHeaders(record)) {
        return 0;
    }
    CMarkerEditor editor(files.work, settings, files.kept);
    editor.SetReference(decodes ? &reference : nullptr);
    editor.TakeScan(record, *exifPosition);
    editor.SetShowAll((flags & 4) != 0);
    CSegmentList historyStart = editor.InitialList();
    bool rebuilt = false;
    for (size_t command = 0; command < kMostCommands && !input.Empty(); ++command) {
        rebuilt = RunCommand(input, editor, historyStart) || rebuilt;
        CheckCounterAndWorkCopy(editor, files.work, rebuilt);
    }
    UndoAndRedoEverything(editor, historyStart);
    return 0;
}
