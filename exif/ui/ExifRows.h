// The rows of decoded Exif values as the Exif display shows them: tag, name,
// explanation and value, one row per dictionary entry that holds a value.
#pragma once

#include <vector>

#include "exif/TagDictionary.h"

class QTreeWidget;

void AddExifRows(QTreeWidget& list, const std::vector<CExifTagEntry>& entries);
