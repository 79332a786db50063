#pragma once

#include <QString>
#include <string>

namespace murk {

inline constexpr char kWarningCaption[] = "Warnning ";
// The Open command's text has two blanks before the mark.
inline const QString kNoPasswordText = QStringLiteral("パスワードを入力してください ! ");
inline const QString kNoPasswordOpenText = QStringLiteral("パスワードを入力してください  ! ");
inline const QString kJpzPasswordText = QStringLiteral("Jpz のパスワードは8文字以上必要です ! ");
// The system has no Shift-JIS converter, so no password can be used.
inline const QString kNoCp932ConverterText =
    QStringLiteral("パスワードを Shift-JIS に変換できません (変換モジュールがありません) ! ");
inline constexpr char kProcessEndText[] = "Process is end.";
inline constexpr char kCheckEndText[] = "Check is end.";

// A password box text with a character that has no Shift-JIS code.
QString UnencodablePasswordText(const std::string& character);
// The same, as the reason a file was left alone.
QString UnencodablePasswordReason();

}  // namespace murk
