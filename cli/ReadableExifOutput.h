// kestrin-cli exif show without --display: the Exif values as a command-line
// user reads them (ReadableExif), named from the tag dictionary.
#pragma once

#include <QJsonArray>
#include <vector>

#include "exif/ReadableExif.h"

class CTagDictionary;

// One line per entry in file order: tag, name and value text, tab-separated.
void PrintReadableLines(const std::vector<CReadableExifEntry>& entries,
                        const CTagDictionary& dictionary);

// One object per entry in file order: ifd, tag, name (null for a tag the
// dictionary does not know), type, count, value (a string, a number, an
// array of numbers for several, or null when left out; a rational whose
// denominator is 0 is null) and text (what the text output shows).
QJsonArray ReadableJsonTags(const std::vector<CReadableExifEntry>& entries,
                            const CTagDictionary& dictionary);
