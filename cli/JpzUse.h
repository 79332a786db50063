#pragma once

#include "JpzLibrary.h"

namespace murk::cli {

// Holds the Jpz library for one command.
class TJpzUse {
public:
    explicit TJpzUse(bool wanted) : FAvailable(wanted && TJpzLibrary::Instance().Load()) {}
    ~TJpzUse() { TJpzLibrary::Instance().Release(); }
    TJpzUse(const TJpzUse&) = delete;
    TJpzUse& operator=(const TJpzUse&) = delete;
    bool Available() const { return FAvailable; }

private:
    bool FAvailable;
};

}  // namespace murk::cli
