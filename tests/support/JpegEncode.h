#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace murktest {

// The shape of a JPEG that libjpeg writes for a test.
struct TJpegShape {
    int Width = 0;
    int Height = 0;
    // 1 grey, 3 RGB, 4 CMYK.
    int Components = 3;
    int Quality = 85;
    bool Progressive = false;
    // Huffman tables made for the picture instead of the standard ones.
    bool OptimizeCoding = false;
    // libjpeg's default 4:2:0 chroma; false keeps the chroma at full size.
    bool SubsampledChroma = true;
    // A restart marker after every so many rows of blocks; 0 for none.
    int RestartRows = 0;
};

// Encodes a picture whose row y (Width * Components samples) fill writes.
std::vector<uint8_t> EncodeJpeg(const TJpegShape& shape,
                                const std::function<void(int y, uint8_t* row)>& fill);

// The segments of jpeg from its start marker to the header of its first
// scan, both included; empty when it has no scan.
std::vector<uint8_t> HeadToFirstScan(const std::vector<uint8_t>& jpeg);

}  // namespace murktest
