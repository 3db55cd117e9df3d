// Undo and redo against a model: the model keeps every state of the list
// whole, the editor keeps only steps. Random commands, seeded, on a small
// camera-like file; every segment the commands bring in is of a code that is
// shown, so the model's rows are the segments off the kept-header list.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "segment/KeptHeaderList.h"
#include "tests/editor/EditorSession.h"
#include "tests/support/CameraFiles.h"

namespace {

constexpr int kCommandsPerSeed = 1000;

struct CModelState {
    CSegmentList list;
    int64_t waste = 0;
};

class CHistoryModel {
public:
    explicit CHistoryModel(const CSegmentList& initial) : m_kept(DefaultKeptHeaderCodes()) {
        m_current = initial;
    }

    std::vector<size_t> Rows() const {
        std::vector<size_t> rows;
        for (size_t i = 0; i < m_current.size(); ++i) {
            if (std::find(m_kept.begin(), m_kept.end(), m_current[i].m_strCode) == m_kept.end()) {
                rows.push_back(i);
            }
        }
        return rows;
    }
    void Change(const CSegmentList& next) {
        m_undo.push_back(m_current);
        m_redo.clear();
        m_current = next;
    }
    void Undo() {
        m_redo.push_back(m_current);
        m_current = m_undo.back();
        m_undo.pop_back();
    }
    void Redo() {
        m_undo.push_back(m_current);
        m_current = m_redo.back();
        m_redo.pop_back();
    }
    int64_t Waste() const {
        CSegmentList shown;
        for (size_t i : Rows()) {
            shown.push_back(m_current[i]);
        }
        return SegmentBytes(shown);
    }

    CSegmentList m_current;
    std::vector<CSegmentList> m_undo;
    std::vector<CSegmentList> m_redo;

private:
    std::vector<std::string> m_kept;
};

CJpegSegment RandomSegment(std::mt19937& random) {
    static const char* const codes[] = {"FFE2", "FFE9", "FFEF", "FFFE"};
    std::string data = "0004";
    const int bytes = std::uniform_int_distribution<int>(0, 6)(random);
    for (int i = 0; i < bytes; ++i) {
        data += "3A";
    }
    return {codes[random() % 4], data};
}

// What "0" leaves of a segment: the two length bytes of a marker that has
// them, zeros for the rest.
void ZeroAfterLength(CJpegSegment& segment) {
    const int code = std::stoi(segment.m_strCode.substr(2), nullptr, 16);
    const bool hasLength = code >= 0xC0 && code != 0xFF && (code < 0xD0 || code > 0xD9);
    const size_t kept = hasLength ? std::min<size_t>(4, segment.m_strData.size()) : 0;
    segment.m_strData =
        segment.m_strData.substr(0, kept) + std::string(segment.m_strData.size() - kept, '0');
}

// Applies one random command to both.
void RandomCommand(std::mt19937& random, CMarkerEditor& editor, CHistoryModel& model) {
    const std::vector<size_t> rows = model.Rows();
    const int kind = static_cast<int>(random() % 6);
    if (kind == 4 || rows.empty()) {
        ASSERT_EQ(editor.Undo(), !model.m_undo.empty());
        if (!model.m_undo.empty()) {
            model.Undo();
        }
        return;
    }
    if (kind == 5) {
        ASSERT_EQ(editor.Redo(), !model.m_redo.empty());
        if (!model.m_redo.empty()) {
            model.Redo();
        }
        return;
    }
    const int row = static_cast<int>(random() % rows.size());
    const size_t index = rows[static_cast<size_t>(row)];
    CSegmentList next = model.m_current;
    const CJpegSegment segment = RandomSegment(random);
    bool done = false;
    switch (kind) {
        case 0:
            ZeroAfterLength(next[index]);
            done = editor.OverwriteWithZeros(row);
            break;
        case 1:
            next.erase(next.begin() + static_cast<ptrdiff_t>(index));
            done = editor.DeleteRow(row);
            break;
        case 2:
            next.insert(next.begin() + static_cast<ptrdiff_t>(index) + 1, segment);
            done = editor.AddAfter(row, segment);
            break;
        default:
            next[index] = segment;
            done = editor.EditRow(row, segment);
            break;
    }
    ASSERT_TRUE(done);
    model.Change(next);
    ASSERT_FALSE(editor.CanRedo());
}

void ExpectSameState(const CMarkerEditor& editor, const CModelState& state) {
    ASSERT_EQ(editor.WorkingList().size(), state.list.size());
    for (size_t i = 0; i < state.list.size(); ++i) {
        ASSERT_EQ(editor.WorkingList()[i], state.list[i]) << "segment " << i;
    }
    EXPECT_EQ(editor.NewBytes(), SegmentBytes(state.list));
    EXPECT_EQ(editor.WasteBytes(), state.waste);
}

TEST(AnEditHistory, TakesBackAndRepeatsThousandsOfRandomCommandsExactly) {
    for (const unsigned seed : {1u, 2u}) {
        SCOPED_TRACE(seed);
        CJpegRecipe recipe;
        recipe.width = 16;
        recipe.height = 16;
        recipe.exifWithThumbnail = true;
        recipe.comment = "seed";
        CEditorSession session(InsertAfterStart(MakeJpeg(recipe), {MakeXmpSegment()}));
        CMarkerEditor& editor = session.editor;
        CHistoryModel model(editor.WorkingList());
        const CModelState initial{editor.WorkingList(), editor.WasteBytes()};
        ASSERT_EQ(model.Waste(), initial.waste);

        std::mt19937 random(seed);
        for (int i = 0; i < kCommandsPerSeed; ++i) {
            RandomCommand(random, editor, model);
            ASSERT_NO_FATAL_FAILURE(ExpectSameState(editor, {model.m_current, model.Waste()}))
                << "command " << i;
        }
        // The furthest state the history reaches.
        while (!model.m_redo.empty()) {
            ASSERT_TRUE(editor.Redo());
            model.Redo();
        }
        const CModelState last{model.m_current, model.Waste()};
        while (editor.Undo()) {
        }
        ExpectSameState(editor, initial);
        while (editor.Redo()) {
        }
        ExpectSameState(editor, last);
        ASSERT_TRUE(editor.Undo());
        ASSERT_TRUE(editor.OverwriteWithZeros(0));
        EXPECT_FALSE(editor.CanRedo());
    }
}

}  // namespace
