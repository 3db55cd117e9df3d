// Turns the TIFF structure inside an Exif block into the display texts of the
// tag dictionary's data column: IFD0, the Exif IFD and the Interoperability IFD.
// Every offset and count read from the structure is checked before use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CTagDictionary;

// True when the header is a TIFF header (the directories were walked, also
// when the walk stopped early at damage); false when it is not, including a
// structure shorter than the 8-byte header. Clears the data column first in
// every case.
// A directory that runs past the structure, an entry whose count is negative
// or whose values lie outside the structure ends the walk of that directory;
// an entry of a type that does not exist ends the whole decode (result true).
bool DecodeExifTiff(const uint8_t* tiff, size_t length, CTagDictionary& dictionary);

// True when tiff starts with a TIFF header: what an Exif block must hold for
// the decode above, and so the embedding, to accept it.
bool HoldsTiffHeader(const uint8_t* tiff, size_t length);

// The same on hex text (two upper-case characters a byte); length in
// characters. The structure ends at the first character that is not
// upper-case hex, and a last unpaired character is ignored.
bool DecodeExifHex(const std::string& hex, size_t length, CTagDictionary& dictionary);
