// A stand-in for libjpz.so whose behaviour a test chooses through
// FAKE_JPZ_MODE, and which notes every call in the file FAKE_JPZ_LOG:
//   (unset)  JPGtoJPZ writes "FAKE" and the picture, JPZtoJPG undoes that
//   fail     damages its output path and the picture, then reports failure
//   silent   reports success and writes nothing
//   remove   reports success and removes its output path
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string Mode() {
    const char* mode = std::getenv("FAKE_JPZ_MODE");
    return mode == nullptr ? "" : mode;
}

void Note(const char* function, const char* jpz, const char* jpg, const char* password) {
    if (const char* log = std::getenv("FAKE_JPZ_LOG")) {
        std::ofstream(log, std::ios::app)
            << function << ' ' << jpz << ' ' << jpg << ' ' << password << '\n';
    }
}

std::string Read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const char* path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Anything but the default mode ends the call; answers its result.
bool Misbehave(const char* output, const char* picture, int32_t& result) {
    const std::string mode = Mode();
    if (mode == "fail") {
        Write(output, "half written");
        Write(picture, "damaged");
        result = 5;
    } else if (mode == "silent") {
        result = 0;
    } else if (mode == "remove") {
        std::remove(output);
        result = 0;
    } else {
        return false;
    }
    return true;
}

}  // namespace

extern "C" int32_t JPGtoJPZ(const char* jpz, const char* jpg, const char* password) {
    Note("JPGtoJPZ", jpz, jpg, password);
    int32_t result = 0;
    if (Misbehave(jpz, jpg, result)) {
        return result;
    }
    Write(jpz, "FAKE" + Read(jpg));
    return 0;
}

#ifndef FAKE_JPZ_SHIELD_ONLY
extern "C" int32_t JPZtoJPG(const char* jpz, const char* jpg, const char* password) {
    Note("JPZtoJPG", jpz, jpg, password);
    int32_t result = 0;
    if (Misbehave(jpg, jpg, result)) {
        return result;
    }
    const std::string sealed = Read(jpz);
    if (sealed.compare(0, 4, "FAKE") != 0) {
        return 3;
    }
    Write(jpg, sealed.substr(4));
    return 0;
}
#endif
