#include "OperationCycle.h"

namespace murk {

TOperationLook OperationLook(int position) {
    switch (position) {
        case 1:
            return {QStringLiteral("UnMurkwell"), kRed};
        case 2:
            return {QString::fromLatin1(kMurkCheckCaption), kWhite};
        default:
            return {QStringLiteral("Murkwell"), kYellow};
    }
}

TOperationLook CheckingLook() {
    return {QStringLiteral("Checking..."), kBlack};
}

}  // namespace murk
