#pragma once

#include <cstdint>
#include <string>

#include "jpz.h"

namespace murk {

// The process's one handle on libjpz.so and its two entry points. Load and
// Release belong to the main thread; the entry points are called by the
// codec that runs the file.
class TJpzLibrary {
public:
    static TJpzLibrary& Instance();

    TJpzLibrary(const TJpzLibrary&) = delete;
    TJpzLibrary& operator=(const TJpzLibrary&) = delete;

    // Opens the library unless one is held: the file named by $MURKWELL_JPZ
    // ("none" means there is none), else libjpz.so in the executable's
    // folder, else the system's library search. Answers afresh whether both
    // exports are there; a library without them is held all the same.
    bool Load();
    // Unloads a held library; always true.
    bool Release();
    bool Available() const { return FJPZtoJPG != nullptr && FJPGtoJPZ != nullptr; }

    // The library's result, 0 on success; -1 while it is not available.
    int32_t JPGtoJPZ(const std::string& jpz, const std::string& jpg,
                     const std::string& password) const;
    int32_t JPZtoJPG(const std::string& jpz, const std::string& jpg,
                     const std::string& password) const;

private:
    TJpzLibrary() = default;

    void* FHandle = nullptr;
    TJpzConvert FJPZtoJPG = nullptr;
    TJpzConvert FJPGtoJPZ = nullptr;
};

}  // namespace murk
