// A Jpz restore of arbitrary bytes with a fixed password either refuses and
// leaves the file as it was, or gives the picture that libjpz.so unseals
// from the payload, which shields and restores again to the same bytes.
// Either way the time stamp is kept and no scratch file is left.
#include "FuzzFile.h"
#include "FuzzFolder.h"
#include "JpzCodec.h"
#include "JpzLibrary.h"
#include "murkcheck.h"

namespace {

using namespace murkfuzz;

const std::string kPassword = "fuzz password";
constexpr struct timespec kTime = {1500000000, 123456789};

int RunJpz(const std::string& path, bool encode) {
    return RunOnFile<murk::TJpzCodec>(path, encode, kPassword, 1);
}

bool TimeKept(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && st.st_mtim.tv_sec == kTime.tv_sec &&
           st.st_mtim.tv_nsec == kTime.tv_nsec;
}

// What the library itself makes of the payload, in a folder of its own.
TBytes Unsealed(std::span<const uint8_t> payload) {
    static const std::string folder = FuzzFolder("jpz-restore-check");
    const std::string jpz = folder + "/payload.jpz";
    const std::string jpg = folder + "/payload.jpg";
    WriteFile(jpz, payload);
    ::unlink(jpg.c_str());
    const int32_t rc = murk::TJpzLibrary::Instance().JPZtoJPG(jpz, jpg, kPassword);
    return rc == 0 ? ReadFile(jpg) : TBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool loaded = murk::TJpzLibrary::Instance().Load();
    Require(loaded, "libjpz.so beside the harness");
    const TBytes input(data, data + size);
    const std::span<const uint8_t> payload = std::span(input).subspan(std::min<size_t>(size, 8));
    if (CostlyJpz(payload)) {
        return -1;
    }
    static const std::string folder = FuzzFolder("jpz-restore");
    const std::string path = folder + "/p.jpg";
    WriteFile(path, input);
    const struct timespec times[2] = {{0, UTIME_OMIT}, kTime};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);

    const int result = RunJpz(path, false);
    Require(Entries(folder) == std::vector<std::string>{"p.jpg"}, "nothing left beside the file");
    Require(TimeKept(path), "the time stamp is kept");
    if (result != 1) {
        Require(ReadFile(path) == input, "a refusal leaves the file");
        return 0;
    }
    const TBytes restored = ReadFile(path);
    Require(size >= 8 && murk::ReadUInt32LE(data) == murk::kJpzMagic, "only a Jpz file restores");
    Require(!restored.empty() && restored == Unsealed(payload), "the library's picture");

    Require(RunJpz(path, true) == 1, "shields");
    Require(murk::TMurkCheck().CheckFile(path) == murk::msJpz, "a Jpz file");
    Require(RunJpz(path, false) == 1 && ReadFile(path) == restored, "restores to the same");
    Require(Entries(folder) == std::vector<std::string>{"p.jpg"} && TimeKept(path),
            "nothing left, time kept");
    return 0;
}
