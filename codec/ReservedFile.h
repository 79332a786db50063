#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <span>
#include <string>

namespace murk {

// A file this program created at a path where nothing was, so that a name
// is claimed before another program's output is put there. It is removed
// again when the object goes, unless kept; a file that was there before is
// never touched.
class TReservedFile {
public:
    enum class TResult { Created, Exists, Failed };

    TReservedFile() = default;
    ~TReservedFile();
    TReservedFile(const TReservedFile&) = delete;
    TReservedFile& operator=(const TReservedFile&) = delete;

    // Creates path exclusively with the given permission bits.
    TResult Create(const std::string& path, mode_t mode);
    // Throws FileIoError when the content cannot be written.
    void Write(std::span<const uint8_t> bytes);
    void Close();
    void Keep() { FKept = true; }
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
    int FFd = -1;
    bool FKept = false;
};

}  // namespace murk
