// JPZtoJPG on arbitrary file bytes either fails and writes nothing (an
// output already there stays as it was), or writes the JPEG that was sealed
// in the file, which seals and opens again to the same bytes. Its input is
// never changed, and nothing is left beside the two files.
#include "FuzzFile.h"
#include "FuzzFolder.h"
#include "jpz.h"

namespace {

using namespace murkfuzz;

constexpr char kPassword[] = "fuzz password";
const TBytes kEarlierOutput = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};

// The 64-byte header and the 16-byte tag around the sealed picture.
constexpr size_t kSealedOverhead = 80;

}  // namespace

// The first byte says whether an output file exists beforehand; the rest
// is the ".jpz" file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const TBytes file(data + 1, data + size);
    if (CostlyJpz(file)) {
        return -1;
    }
    static const std::string folder = FuzzFolder("jpz-reader");
    const std::string in = folder + "/in.jpz";
    const std::string out = folder + "/out.jpg";
    const bool earlier = (data[0] & 1) != 0;
    WriteFile(in, file);
    if (earlier) {
        WriteFile(out, kEarlierOutput);
    } else {
        ::unlink(out.c_str());
    }

    const int32_t rc = JPZtoJPG(in.c_str(), out.c_str(), kPassword);
    Require(ReadFile(in) == file, "the input is unchanged");
    if (rc != JPZ_OK) {
        Require(rc >= JPZ_ERR_ARGUMENT && rc <= JPZ_ERR_RANDOM, "a documented result");
        Require(earlier ? ReadFile(out) == kEarlierOutput : !Exists(out),
                "a failure writes nothing");
        const std::vector<std::string> left = Entries(folder);
        Require(left == (earlier ? std::vector<std::string>{"in.jpz", "out.jpg"}
                                 : std::vector<std::string>{"in.jpz"}),
                "nothing left behind");
        return 0;
    }
    const TBytes picture = ReadFile(out);
    Require(Entries(folder) == std::vector<std::string>{"in.jpz", "out.jpg"}, "only the output");
    Require(picture.size() + kSealedOverhead == file.size(), "the sealed length");
    Require(picture.size() >= 2 && picture[0] == 0xFF && picture[1] == 0xD8,
            "only a JPEG is ever sealed");

    const std::string again = folder + "/again.jpz";
    const std::string back = folder + "/back.jpg";
    Require(JPGtoJPZ(again.c_str(), out.c_str(), kPassword) == JPZ_OK, "seals again");
    Require(JPZtoJPG(again.c_str(), back.c_str(), kPassword) == JPZ_OK, "opens again");
    Require(ReadFile(back) == picture, "the same picture");
    ::unlink(again.c_str());
    ::unlink(back.c_str());
    return 0;
}
