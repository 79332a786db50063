#include "JpegHead.h"

#include <csetjmp>
#include <vector>

#include "JpegErrors.h"
// After jpeglib.h, which JpegErrors.h brings.
#include <jerror.h>

#include "OutputStream.h"

namespace murk {

namespace {

// Feeds libjpeg the pieces of a content one after the other.
struct TPieceSource {
    jpeg_source_mgr Base;
    const std::vector<std::span<const uint8_t>>* Pieces;
    size_t Next = 0;
};

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<TPieceSource*>(cinfo->src);
    while (source->Next < source->Pieces->size()) {
        const std::span<const uint8_t> piece = (*source->Pieces)[source->Next++];
        if (!piece.empty()) {
            source->Base.next_input_byte = piece.data();
            source->Base.bytes_in_buffer = piece.size();
            return TRUE;
        }
    }
    // As libjpeg's own memory source does: a warning and an end marker.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    source->Base.next_input_byte = kEndOfImage;
    source->Base.bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    auto* source = reinterpret_cast<TPieceSource*>(cinfo->src);
    while (count > 0) {
        if (source->Base.bytes_in_buffer == 0) {
            FillInputBuffer(cinfo);
        }
        const size_t step = std::min(size_t(count), source->Base.bytes_in_buffer);
        source->Base.next_input_byte += step;
        source->Base.bytes_in_buffer -= step;
        count -= long(step);
    }
}

void TermSource(j_decompress_ptr) {}

// The checks libjpeg makes when it builds a decoding table from a Huffman
// table: at most 256 codes, none all ones, DC symbols below 16.
bool HuffmanTableBuildable(const JHUFF_TBL* table, bool dc) {
    if (table == nullptr) {
        return true;
    }
    int total = 0;
    for (int length = 1; length <= 16; ++length) {
        total += table->bits[length];
    }
    if (total > 256) {
        return false;
    }
    long code = 0;
    for (int length = 1; length <= 16; ++length) {
        code += table->bits[length];
        if (code >= (1L << length)) {
            return false;
        }
        code <<= 1;
    }
    for (int i = 0; dc && i < total; ++i) {
        if (table->huffval[i] > 15) {
            return false;
        }
    }
    return true;
}

bool TablesSound(const jpeg_decompress_struct& cinfo) {
    for (int i = 0; i < NUM_HUFF_TBLS; ++i) {
        if (!HuffmanTableBuildable(cinfo.dc_huff_tbl_ptrs[i], true) ||
            !HuffmanTableBuildable(cinfo.ac_huff_tbl_ptrs[i], false)) {
            return false;
        }
    }
    for (int i = 0; i < cinfo.comps_in_scan; ++i) {
        const jpeg_component_info* component = cinfo.cur_comp_info[i];
        if (cinfo.quant_tbl_ptrs[component->quant_tbl_no] == nullptr) {
            return false;
        }
    }
    return true;
}

// The frame header of a lossless picture right after its marker: a length
// that fits its components, a precision of 2 to 16 bits, 1 to 4 components
// with sampling factors of 1 to 4.
bool LosslessFrameSound(const jpeg_source_mgr& source) {
    const JOCTET* p = source.next_input_byte;
    if (source.bytes_in_buffer < 8) {
        return false;
    }
    const size_t length = size_t(p[0]) << 8 | p[1];
    const int precision = p[2], components = p[7];
    if (precision < 2 || precision > 16 || components < 1 || components > 4 ||
        length != 8 + 3 * size_t(components) || source.bytes_in_buffer < length) {
        return false;
    }
    for (int i = 0; i < components; ++i) {
        const int sampling = p[8 + 3 * i + 1];
        if ((sampling >> 4) < 1 || (sampling >> 4) > 4 || (sampling & 15) < 1 ||
            (sampling & 15) > 4) {
            return false;
        }
    }
    return true;
}

bool HeadSound(const std::vector<std::span<const uint8_t>>& pieces) {
    jpeg_decompress_struct cinfo{};
    TJpegErrors errors{};
    cinfo.err = JpegErrors(errors);
    TPieceSource source{};
    source.Pieces = &pieces;
    source.Base.init_source = InitSource;
    source.Base.fill_input_buffer = FillInputBuffer;
    source.Base.skip_input_data = SkipInputData;
    source.Base.resync_to_restart = jpeg_resync_to_restart;
    source.Base.term_source = TermSource;

    bool sound = false;
    if (setjmp(errors.Jump) == 0) {
        jpeg_create_decompress(&cinfo);
        cinfo.src = &source.Base;
        sound = jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK && TablesSound(cinfo) &&
                !errors.Warned;
    } else {
        // A lossless frame or one of 12 bits, which this libjpeg does not
        // decode, reached through a sound chain. Other frames it does not
        // decode (hierarchical, the reserved JPG marker) are as good as a
        // broken chain: a wrong password makes them from other markers.
        const int code = errors.Base.msg_code;
        sound = !errors.Warned && ((code == JERR_SOF_UNSUPPORTED && cinfo.unread_marker == 0xC3 &&
                                    LosslessFrameSound(source.Base)) ||
                                   (code == JERR_BAD_PRECISION && cinfo.data_precision == 12));
    }
    jpeg_destroy_decompress(&cinfo);
    return sound;
}

}  // namespace

bool JpegHeadSound(const TOutputStream& content) {
    return HeadSound(content.Pieces());
}

bool JpegHeadSound(std::span<const uint8_t> content) {
    return HeadSound({content});
}

}  // namespace murk
