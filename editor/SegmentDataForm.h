// What the segment data dialog decides, without the dialog: the values it
// opens with, its automatic size field, the text-to-hex tool and the checks
// on OK. The marker is the second byte of the code after "FF"; the data is
// the hex text after the two-byte length field, which the size field holds.
#pragma once

#include <string>

#include "segment/JpegSegment.h"

struct CSegmentDataFields {
    std::string m_strMarker;
    std::string m_strPrompt;
    std::string m_strReference;
    std::string m_strData;
    std::string m_strSize;
};

// A new segment: marker E1, everything else empty.
CSegmentDataFields FieldsForNewSegment();
// The segment's marker, its data after the length field and that length
// field as it stands; reference is the row's display text.
CSegmentDataFields FieldsForSegment(const CJpegSegment& segment, const std::string& reference);

// The segment the fields make: "FF" + marker, size field + data.
CJpegSegment SegmentFromFields(const CSegmentDataFields& fields);

// The length field for data: its bytes plus the two of the field, at least
// four hex digits; "不正" for an odd number of characters. A number past four
// digits is told to the user and given whole.
std::string SegmentSizeField(const std::string& data);

// The hex text of the Shift_JIS bytes of a typed text.
std::string TypedTextToHex(const std::string& utf8);

enum class ESegmentDataControl { None, Marker, Data };

struct CSegmentDataProblem {
    // The control that gets the focus; None when the fields pass.
    ESegmentDataControl m_control = ESegmentDataControl::None;
    std::string m_strMessage;
};

// The checks on OK, in order; the first that fails is the answer.
CSegmentDataProblem CheckSegmentData(const CSegmentDataFields& fields);
