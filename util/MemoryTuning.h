// Every file the program checks costs two decodes of its picture, tens of
// megabytes each. By default the C library returns such blocks to the system
// at once and takes fresh, zero-filled pages for the next one, which costs
// about as much as the decode itself. Programs call this once at start so
// that freed picture memory is reused instead, by every thread alike.
#pragma once

void KeepFreedMemoryForPictures();
