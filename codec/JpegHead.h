#pragma once

#include <cstdint>
#include <span>

namespace murk {

class TOutputStream;

// Whether a picture's head is one a decoder can start on: the marker chain
// from the start marker to the first scan, every segment's length and the
// tables and frame a decoder needs (libjpeg reads them), the Huffman tables
// buildable as libjpeg builds them, the first scan's tables present, and no
// warning on the way. Normal, Extra and Ultra change only the first bytes of
// a file, so a wrong password or a damaged file nearly always breaks this
// head; a shield refuses a picture that fails it, so a right password never
// does. The rest of the picture is not decoded.
bool JpegHeadSound(const TOutputStream& content);
bool JpegHeadSound(std::span<const uint8_t> content);

}  // namespace murk
