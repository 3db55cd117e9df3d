#include "editor/MarkerEditor.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

#include "editor/EditorCheck.h"
#include "editor/EditorCheckThread.h"
#include "segment/SegmentFiles.h"
#include "tests/editor/EditorSession.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/TestFiles.h"
#include "util/TextHelpers.h"

namespace {

// JFIF, Exif with a thumbnail, and in front of them two comments that show
// the same text: rows FFFE, FFFE, FFE0, FFE1 over segments 1 to 4.
std::vector<uint8_t> LookAlikeCommentsFile() {
    CJpegRecipe recipe;
    recipe.exifWithThumbnail = true;
    return InsertAfterStart(MakeJpeg(recipe),
                            {MakeCommentSegment("a\x01"), MakeCommentSegment("a\x02")});
}

struct CCommandCase {
    const char* name;
    std::function<bool(CMarkerEditor&)> command;
    // Applies the command's effect to the initial list.
    std::function<void(CSegmentList&)> effect;
    bool changes;
};

const CJpegSegment kAdded{"FFE2", "0007414243FF00"};
const CJpegSegment kEdited{"FFE5", "0004AA55"};

class ACommandOnARow : public ::testing::TestWithParam<CCommandCase> {};

TEST_P(ACommandOnARow, ChangesItsOwnSegmentTheCountersAndTheWorkCopy) {
    CEditorSession session(LookAlikeCommentsFile());
    CMarkerEditor& editor = session.editor;
    ASSERT_EQ(RowCodes(editor), (std::vector<std::string>{"FFFE", "FFFE", "FFE0", "FFE1"}));
    CSegmentList expected = editor.WorkingList();
    const int64_t bytesBefore = SegmentBytes(expected);
    const int64_t wasteBefore = editor.WasteBytes();
    GetParam().effect(expected);

    EXPECT_EQ(GetParam().command(editor), GetParam().changes);
    EXPECT_EQ(editor.WorkingList(), expected);
    const int64_t change = SegmentBytes(expected) - bytesBefore;
    EXPECT_EQ(editor.NewBytes(), bytesBefore + change);
    EXPECT_EQ(editor.WasteBytes(), wasteBefore + change);
    EXPECT_EQ(editor.CanUndo(), GetParam().changes);
    if (GetParam().changes) {
        EXPECT_TRUE(editor.Decodes());
        EXPECT_EQ(ReadFile(session.work.m_strTempData), *SegmentsToBytes(expected));
        EXPECT_EQ(ReadTextFile(session.work.m_strTempHexa).size() % 2, 0u);
    } else {
        EXPECT_EQ(session.messages, std::vector<std::string>{"JPEGｺｰﾄﾞが選択されていません。"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, ACommandOnARow,
    ::testing::Values(
        // The length bytes stay: a segment of length 0 is one no reader accepts.
        CCommandCase{"ZerosTheSecondOfTwoLookAlikesBehindItsLength",
                     [](CMarkerEditor& e) { return e.OverwriteWithZeros(1); },
                     [](CSegmentList& l) {
                         l[2].m_strData = l[2].m_strData.substr(0, 4) +
                                          std::string(l[2].m_strData.size() - 4, '0');
                     },
                     true},
        CCommandCase{"DeletesTheSecondOfTwoLookAlikes",
                     [](CMarkerEditor& e) { return e.DeleteRow(1); },
                     [](CSegmentList& l) { l.erase(l.begin() + 2); }, true},
        CCommandCase{"DeletesTheExifBlock", [](CMarkerEditor& e) { return e.DeleteRow(3); },
                     [](CSegmentList& l) { l.erase(l.begin() + 4); }, true},
        CCommandCase{"AddsAfterTheFirstRow", [](CMarkerEditor& e) { return e.AddAfter(0, kAdded); },
                     [](CSegmentList& l) { l.insert(l.begin() + 2, kAdded); }, true},
        CCommandCase{"EditsTheJfifRow", [](CMarkerEditor& e) { return e.EditRow(2, kEdited); },
                     [](CSegmentList& l) { l[3] = kEdited; }, true},
        CCommandCase{"RefusesWithoutARow", [](CMarkerEditor& e) { return e.DeleteRow(-1); },
                     [](CSegmentList&) {}, false},
        CCommandCase{"RefusesARowPastTheEnd",
                     [](CMarkerEditor& e) { return e.OverwriteWithZeros(4); }, [](CSegmentList&) {},
                     false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AMarkerEditor, ShowsZeroedDataAsDotsAtTheSameSize) {
    CEditorSession session(LookAlikeCommentsFile());
    const int64_t size = EditorSegmentSize(session.editor.RowSegment(0));
    ASSERT_TRUE(session.editor.OverwriteWithZeros(0));
    EXPECT_EQ(EditorSegmentSize(session.editor.RowSegment(0)), size);
    EXPECT_EQ(HexToDisplayText(session.editor.RowSegment(0).m_strData), "....");
}

// Camera files made here and the shared samples: the Exif block is one row
// wherever its thumbnail's markers lie, and the list is the file again.
TEST(AMarkerEditor, ShowsTheExifBlockAsOneRowWhereItStood) {
    CJpegRecipe exifFirst;
    exifFirst.exifWithThumbnail = true;
    exifFirst.jfif = false;
    std::vector<std::vector<uint8_t>> files = {MakeJpeg(exifFirst), LookAlikeCommentsFile()};
    for (const auto& sample : SampleJpegFiles()) {
        if (sample.parent_path().filename() == "camera") {
            files.push_back(ReadFile(sample.string()));
        }
    }
    for (const auto& file : files) {
        SCOPED_TRACE(&file - files.data());
        CEditorSession session(file);
        session.editor.SetShowAll(true);
        int exifRows = 0;
        for (int row = 0; row < session.editor.RowCount(); ++row) {
            const std::string text = HexToDisplayText(session.editor.RowSegment(row).m_strData);
            exifRows +=
                session.editor.RowSegment(row).m_strCode == "FFE1" && text.substr(2, 6) == "Exif..";
        }
        EXPECT_EQ(exifRows, 1);
        EXPECT_TRUE(session.editor.Decodes());
        if (&file == files.data()) {
            const std::vector<std::string> codes = RowCodes(session.editor);
            EXPECT_EQ(std::count(codes.begin(), codes.end(), "FFD8"), 1);
            EXPECT_EQ(codes[1], "FFE1");
        }
        EXPECT_EQ(
            *SegmentsToBytes(session.editor.InitialList()),
            std::vector<uint8_t>(file.begin(),
                                 file.begin() + static_cast<ptrdiff_t>(session.editor.NewBytes())));
    }
}

TEST(AMarkerEditor, ShowsNoRowsAndNoWasteForAFileOfKeptSegmentsOnly) {
    CJpegRecipe plain;
    plain.jfif = false;
    const std::vector<uint8_t> file = MakeJpeg(plain);
    CEditorSession session(file);
    EXPECT_EQ(session.editor.RowCount(), 0);
    EXPECT_EQ(session.editor.WasteBytes(), 0);
    EXPECT_EQ(session.editor.NewBytes(), static_cast<int64_t>(file.size()));
    EXPECT_EQ(session.editor.OriginalBytes(), static_cast<int64_t>(file.size()));
}

TEST(AMarkerEditor, RemovesTheProprietaryDataInFrontOfANestedPicture) {
    CJpegRecipe plain;
    plain.jfif = false;
    CJpegRecipe nested;
    nested.width = 16;
    const std::vector<uint8_t> picture = MakeJpeg(plain);
    CEditorSession session(NestPictureInFront(picture, MakeJpeg(nested), 0xE3));
    CMarkerEditor& editor = session.editor;
    ASSERT_TRUE(editor.CanRemoveProprietary());
    ASSERT_TRUE(editor.DeleteRow(0));

    EXPECT_TRUE(editor.RemoveProprietaryData());
    EXPECT_EQ(*SegmentsToBytes(editor.WorkingList()), picture);
    EXPECT_EQ(session.messages, std::vector<std::string>{"不明な独自情報の削除に成功しました"});
    EXPECT_FALSE(editor.CanRemoveProprietary());
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_TRUE(editor.Decodes());
    EXPECT_EQ(editor.NewBytes(), static_cast<int64_t>(picture.size()));
    EXPECT_EQ(ReadFile(session.work.m_strTempData), picture);
}

TEST(AMarkerEditor, GoesBackToTheInitialStateWithBothHistoriesEmpty) {
    CEditorSession session(LookAlikeCommentsFile());
    CMarkerEditor& editor = session.editor;
    const int64_t waste = editor.WasteBytes();
    ASSERT_TRUE(editor.DeleteRow(0) && editor.AddAfter(0, kAdded) && editor.EditRow(1, kEdited));
    ASSERT_TRUE(editor.Undo());

    editor.ResetToInitial();
    EXPECT_EQ(editor.WorkingList(), editor.InitialList());
    EXPECT_EQ(editor.WasteBytes(), waste);
    EXPECT_EQ(editor.NewBytes(), SegmentBytes(editor.InitialList()));
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.CanRedo());
    EXPECT_EQ(ReadFile(session.work.m_strTempData), *SegmentsToBytes(editor.InitialList()));
}

// Shows the picture data with editing allowed; the row of the scan's header.
int ShowScanRowForEditing(CEditorSession& session) {
    session.settings.Write(settings::kJoukyuuEdit, 1);
    session.editor.SetShowAll(true);
    const std::vector<std::string> codes = RowCodes(session.editor);
    return static_cast<int>(std::find(codes.begin(), codes.end(), "FFDA") - codes.begin());
}

TEST(AMarkerEditor, FollowsDecodabilityThroughDeleteAndUndoOfTheScan) {
    CEditorSession session(LookAlikeCommentsFile());
    CMarkerEditor& editor = session.editor;
    const int scanRow = ShowScanRowForEditing(session);
    ASSERT_TRUE(editor.DeleteRow(scanRow));
    EXPECT_FALSE(editor.Decodes());
    ASSERT_TRUE(editor.Undo());
    EXPECT_TRUE(editor.Decodes());
    ASSERT_TRUE(editor.Redo());
    EXPECT_FALSE(editor.Decodes());
}

// A checker that keeps what it is handed, so that the test answers when it likes.
struct CHeldChecks : IEditorChecker {
    void Submit(const CEditorCheckRequest& request, const CSegmentList& list) override {
        held.emplace_back(request, list);
    }
    CEditorCheckAnswer Answer(size_t check) const {
        return RunEditorCheck(held.at(check).first, held.at(check).second);
    }
    std::vector<std::pair<CEditorCheckRequest, CSegmentList>> held;
};

TEST(AMarkerEditor, TakesOnlyTheAnswerForTheListOnShowFromItsChecker) {
    CEditorSession session(LookAlikeCommentsFile());
    CMarkerEditor& editor = session.editor;
    CHeldChecks checks;
    editor.SetChecker(&checks);
    ASSERT_TRUE(editor.DeleteRow(0));
    ASSERT_TRUE(editor.Undo());
    ASSERT_EQ(checks.held.size(), 2u);
    EXPECT_TRUE(editor.CheckPending());
    EXPECT_FALSE(editor.Decodes());

    EXPECT_FALSE(editor.TakeCheckAnswer(checks.Answer(0)));
    EXPECT_TRUE(editor.CheckPending());
    EXPECT_FALSE(editor.Decodes());
    EXPECT_TRUE(editor.TakeCheckAnswer(checks.Answer(1)));
    EXPECT_FALSE(editor.CheckPending());
    EXPECT_TRUE(editor.Decodes());
    EXPECT_EQ(ReadFile(session.work.m_strTempData), *SegmentsToBytes(editor.WorkingList()));
}

// Going back to a list whose check told needs no decode: each undo, redo and
// reset hands on the verdict of the list it goes back to, and an answer for a
// list gone by never becomes one.
TEST(AMarkerEditor, HandsOnTheVerdictOfAListItGoesBackTo) {
    CEditorSession session(LookAlikeCommentsFile());
    CMarkerEditor& editor = session.editor;
    const int scanRow = ShowScanRowForEditing(session);
    CHeldChecks checks;
    editor.SetChecker(&checks);
    ASSERT_TRUE(editor.DeleteRow(scanRow));
    ASSERT_TRUE(editor.Undo());
    EXPECT_FALSE(editor.TakeCheckAnswer(checks.Answer(0)));
    ASSERT_TRUE(editor.Redo());
    EXPECT_TRUE(editor.TakeCheckAnswer(checks.Answer(2)));
    ASSERT_TRUE(editor.Undo() && editor.Redo());
    editor.ResetToInitial();

    const std::vector<std::optional<bool>> known = {std::nullopt, true,  std::nullopt,
                                                    true,         false, true};
    ASSERT_EQ(checks.held.size(), known.size());
    for (size_t i = 0; i < known.size(); ++i) {
        EXPECT_EQ(checks.held[i].first.m_knownShows, known[i]) << "check " << i;
    }
    EXPECT_TRUE(editor.TakeCheckAnswer(checks.Answer(5)));
    EXPECT_TRUE(editor.Decodes());
    EXPECT_EQ(ReadFile(session.work.m_strTempData), *SegmentsToBytes(editor.InitialList()));
}

// Edits come faster than the check thread answers: the thread reads the list
// while the edits change it, most answers are for lists gone by, and the work
// files end as the last list's.
TEST(AMarkerEditor, EndsWithTheWorkFilesOfItsLastListWhenEditsOutrunItsCheckThread) {
    CEditorSession session(LookAlikeCommentsFile());
    CMarkerEditor& editor = session.editor;
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<CEditorCheckAnswer> answers;
    CEditorCheckThread thread([&](CEditorCheckAnswer answer) {
        const std::lock_guard lock(mutex);
        answers.push_back(std::move(answer));
        arrived.notify_one();
    });
    editor.SetChecker(&thread);
    for (int round = 0; round < 30; ++round) {
        ASSERT_TRUE(editor.AddAfter(0, kAdded) && editor.DeleteRow(1) && editor.Undo());
    }
    while (editor.CheckPending()) {
        std::unique_lock lock(mutex);
        arrived.wait(lock, [&] { return !answers.empty(); });
        const std::vector<CEditorCheckAnswer> taken = std::exchange(answers, {});
        lock.unlock();
        for (const CEditorCheckAnswer& answer : taken) {
            editor.TakeCheckAnswer(answer);
        }
    }
    editor.SetChecker(nullptr);

    EXPECT_TRUE(editor.Decodes());
    const std::vector<uint8_t> bytes = *SegmentsToBytes(editor.WorkingList());
    EXPECT_EQ(ReadFile(session.work.m_strTempData), bytes);
    EXPECT_EQ(ReadTextFile(session.work.m_strTempHexa), HexFromBytes(bytes));
}

// With the picture data shown, editing is for those who asked for it.
TEST(AMarkerEditor, RefusesEveryEditWhileThePictureDataIsShownUnlessAllowed) {
    for (const int allowed : {0, 1}) {
        CEditorSession session(LookAlikeCommentsFile());
        CMarkerEditor& editor = session.editor;
        session.settings.Write(settings::kJoukyuuEdit, allowed);
        ASSERT_TRUE(editor.DeleteRow(0));
        editor.SetShowAll(true);
        const CSegmentList before = editor.WorkingList();
        const bool expected = allowed != 0;
        EXPECT_EQ(editor.OverwriteWithZeros(1), expected);
        EXPECT_EQ(editor.AddAfter(1, kAdded), expected);
        EXPECT_EQ(editor.EditRow(1, kEdited), expected);
        EXPECT_EQ(editor.DeleteRow(1), expected);
        EXPECT_EQ(editor.Undo(), expected);
        EXPECT_EQ(editor.WorkingList() == before, !expected);
        editor.SetShowAll(false);
        EXPECT_TRUE(editor.CanUndo());
    }
}

}  // namespace
