#include "FailureText.h"

#include <QFileInfo>
#include <QStringList>

namespace murk {

QString RefusalTextJa(TRefusal reason, uint64_t otherNames) {
    switch (reason) {
        case TRefusal::None:
            return QStringLiteral("エラーはありません");
        case TRefusal::Empty:
            return QStringLiteral("空のファイルです");
        case TRefusal::ForbiddenAttribute:
            return QStringLiteral("書き込み禁止か隠しファイル、または通常のファイルではありません");
        case TRefusal::NotJpeg:
            return QStringLiteral("JPEG ファイルではありません (保護済みの可能性があります)");
        case TRefusal::TooShort:
            return QStringLiteral("ファイルが短すぎます");
        case TRefusal::WrongFormat:
            return QStringLiteral("この形式のファイルではありません");
        case TRefusal::EmptyPassword:
            return QStringLiteral("パスワードが空です");
        case TRefusal::PasswordTooLong:
            return QStringLiteral("パスワードが長すぎます");
        case TRefusal::PasswordTooShort:
            return QStringLiteral("パスワードが短すぎます");
        case TRefusal::WrongPassword:
            return QStringLiteral("パスワードが違うか、ファイルが壊れています");
        case TRefusal::UnsupportedMode:
            return QStringLiteral("このモードには対応していません");
        case TRefusal::CannotWrite:
            return QStringLiteral("ファイルに書き込めません");
        case TRefusal::NotShielded:
            return QStringLiteral("保護されたファイルではありません");
        case TRefusal::NoCodec:
            return QStringLiteral("処理できる形式がありません");
        case TRefusal::JpzUnavailable:
            return QStringLiteral("Jpz ライブラリがありません");
        case TRefusal::JpzFailed:
            return QStringLiteral("Jpz ライブラリが失敗しました");
        case TRefusal::ScratchExists:
            return QStringLiteral("作業用のファイルが既にあります");
        case TRefusal::PictureExists:
            return QStringLiteral("同じ名前の別の画像ファイルが既にあります");
        case TRefusal::ChangedOnDisk:
            return QStringLiteral("処理中にファイルが変更されました");
        case TRefusal::BeingWritten:
            return QStringLiteral("ほかのプログラムが書き込み中です");
        case TRefusal::InUse:
            return QStringLiteral("ほかの Murkwell が処理中です");
        case TRefusal::OtherNames:
            return QStringLiteral(
                       "ほかに %1 個のハードリンクがあり、そちらが保護されないまま残ります")
                .arg(otherNames);
        case TRefusal::HeadDamaged:
            return QStringLiteral("画像の先頭部分が壊れています");
        case TRefusal::TooLarge:
            return QStringLiteral("ファイルが大きすぎてメモリに読み込めません");
        case TRefusal::PasswordHasNul:
            return QStringLiteral("パスワードに NUL 文字が含まれています");
        case TRefusal::NoCp932Converter:
            return QStringLiteral("パスワードを Shift-JIS に変換するモジュールがありません");
    }
    return QStringLiteral("不明な理由です");
}

QString FailureReasonJa(const TRunFailure& failure) {
    // The system's own words follow, as they are, where they say more.
    const auto withDetail = [&failure](const QString& text) {
        return failure.Detail.isEmpty() ? text : text + QStringLiteral(" (") + failure.Detail + ')';
    };
    switch (failure.Kind) {
        case TFailureKind::Refused:
            return withDetail(RefusalTextJa(failure.Refusal, failure.OtherNames));
        case TFailureKind::CannotOpen:
            return withDetail(QStringLiteral("ファイルを開けません"));
        case TFailureKind::TooLarge:
            return RefusalTextJa(TRefusal::TooLarge);
        case TFailureKind::PasswordNotCp932:
            return QStringLiteral("パスワードに Shift-JIS で表せない文字があります");
        case TFailureKind::NotKept:
            return QStringLiteral(
                       "処理しましたが、元のファイルの次の属性を引き継げませんでした: ") +
                   failure.Detail;
        case TFailureKind::RunStopped:
            return withDetail(QStringLiteral("処理が途中で止まりました"));
        case TFailureKind::Error:
            return withDetail(QStringLiteral("読み書きでエラーが起きました"));
    }
    return failure.Reason;
}

QString FailureListText(const std::vector<TRunFailure>& failures) {
    // Files of one folder are named without it, which keeps the lines short
    // enough not to wrap; the folder is said once above them.
    QString folder;
    for (const TRunFailure& failure : failures) {
        const QString own = QFileInfo(failure.Path).path();
        if (failure.Path.isEmpty() || (!folder.isEmpty() && own != folder)) {
            folder.clear();
            break;
        }
        folder = own;
    }
    QStringList lines;
    lines << QStringLiteral("処理できなかったファイルがあります (%1 件)。").arg(failures.size());
    if (!folder.isEmpty()) {
        lines << QStringLiteral("フォルダ: ") + folder;
    }
    lines << QString();
    for (size_t i = 0; i < failures.size() && i < ShownFailures; ++i) {
        const TRunFailure& failure = failures[i];
        const QString reason = FailureReasonJa(failure);
        const QString name = folder.isEmpty() ? failure.Path : QFileInfo(failure.Path).fileName();
        lines << (name.isEmpty() ? reason : name + QStringLiteral(": ") + reason);
    }
    if (failures.size() > ShownFailures) {
        lines << QStringLiteral("ほか %1 件").arg(failures.size() - ShownFailures);
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace murk
