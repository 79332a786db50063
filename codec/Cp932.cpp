#include "Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace murk {

namespace {

class TIconv {
public:
    TIconv(const char* to, const char* from) : FHandle(::iconv_open(to, from)) {}
    ~TIconv() {
        if (Open()) {
            ::iconv_close(FHandle);
        }
    }
    bool Open() const { return FHandle != reinterpret_cast<iconv_t>(-1); }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;

    // Converts all of input; on failure returns false and the offset of the
    // byte where the conversion stopped.
    bool Convert(std::string_view input, std::string& output, size_t& stoppedAt) {
        std::vector<char> buffer(input.size() * 4 + 16);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        char* out = buffer.data();
        size_t outLeft = buffer.size();
        const bool ok = ::iconv(FHandle, &in, &inLeft, &out, &outLeft) != size_t(-1) &&
                        ::iconv(FHandle, nullptr, nullptr, &out, &outLeft) != size_t(-1);
        stoppedAt = input.size() - inLeft;
        output.assign(buffer.data(), size_t(out - buffer.data()));
        return ok && inLeft == 0;
    }

private:
    iconv_t FHandle;
};

// The system's name of the code page; $MURKWELL_CP932 = "none" stands for a
// system without the converter, for tests.
const char* Cp932Name() {
    const char* name = std::getenv("MURKWELL_CP932");
    return name != nullptr && std::string_view(name) == "none" ? "MURKWELL-NO-SUCH-CHARSET"
                                                               : "CP932";
}

size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        return 3;
    }
    return (lead & 0xF8) == 0xF0 ? 4 : 1;
}

}  // namespace

TCp932Result ToCp932(std::string_view utf8) {
    TIconv conversion(Cp932Name(), "UTF-8");
    TCp932Result result;
    if (!conversion.Open()) {
        result.ConverterMissing = true;
        return result;
    }
    size_t stoppedAt = 0;
    std::string bytes;
    if (conversion.Convert(utf8, bytes, stoppedAt)) {
        result.Bytes = std::move(bytes);
        result.Ok = true;
    } else if (stoppedAt < utf8.size()) {
        const size_t length = Utf8SequenceLength(static_cast<unsigned char>(utf8[stoppedAt]));
        result.Unencodable = std::string(utf8.substr(stoppedAt, length));
    }
    return result;
}

std::optional<std::string> FromCp932(std::string_view cp932) {
    TIconv conversion("UTF-8", Cp932Name());
    if (!conversion.Open()) {
        return std::nullopt;
    }
    std::string text;
    size_t stoppedAt = 0;
    if (!conversion.Convert(cp932, text, stoppedAt)) {
        return std::nullopt;
    }
    return text;
}

}  // namespace murk
