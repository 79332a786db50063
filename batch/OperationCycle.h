#pragma once

#include <QString>

#include "RunView.h"

namespace murk {

// The operation button's caption and font colour.
struct TOperationLook {
    QString Caption;
    TRgb Color;
    friend bool operator==(const TOperationLook&, const TOperationLook&) = default;
};

// Positions 0 "Murkwell", 1 "UnMurkwell", 2 " MurkCheck".
TOperationLook OperationLook(int position);
// The look while a listing run is busy.
TOperationLook CheckingLook();

inline constexpr char kMurkCheckCaption[] = " MurkCheck";

}  // namespace murk
