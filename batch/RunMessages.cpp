#include "RunMessages.h"

namespace murk {

QString UnencodablePasswordText(const std::string& character) {
    return QStringLiteral("パスワードに使えない文字「%1」があります ! ")
        .arg(QString::fromStdString(character));
}

QString UnencodablePasswordReason() {
    return QStringLiteral(
        "The password holds a character that Shift-JIS cannot encode; the file was left as it "
        "was.");
}

}  // namespace murk
