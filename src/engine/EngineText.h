// The messages and status texts of the switching engine, exactly as the
// program shows them.
#pragma once

namespace tollervy::engine_text {

// Status lines of the main window.
inline constexpr const char* PhaseSaving = "前回のユーザの情報を保存中";
inline constexpr const char* PhaseDiscarding = "前回のユーザの情報を削除中";
inline constexpr const char* PhaseRestoringSuffix = "の情報を回復中";  // after the user name

// Errors (style 16).
inline constexpr const char* FileSettingWrong = "設定ファイルのファイル設定に異常があります";
inline constexpr const char* NoWritePermission = "書き込み権限がありません\r\n致命的なエラーです";
inline constexpr const char* IsReadOnly = "読み取り専用です";  // after path + "\r\n"

// Diagnostic failure texts (path + "\r\n" + text, style 16, Debug "1" only).
inline constexpr const char* DoesNotExist = "存在しない";
inline constexpr const char* AttrGetFailed = "ファイル属性取得失敗";
inline constexpr const char* CopyFailed = "ファイルコピー失敗";
inline constexpr const char* AttrSetFailed = "ファイル属性変更失敗";
inline constexpr const char* MoveFailed = "ファイル移動失敗";
inline constexpr const char* FileMissing = "ファイル未存在";
inline constexpr const char* FileDeleteFailed = "ファイル削除失敗";
inline constexpr const char* FolderDeleteFailed = "フォルダ削除失敗";

// Diagnostic information (style 64).
inline constexpr const char* FirstStartSuffix = "の初めての起動";  // after the user name

// The error policy.
inline constexpr const char* ContinueQuestion =
    "エラーが発生しました\r\n処理を続行した場合、データがどうなるかわかりません\r\n処理を続行しますか?";
inline constexpr const char* RunEnds = "異常が発生しました\r\n処理を終了します";
inline constexpr const char* SaveItemFailed = "前ユーザのデータの待避に失敗しました";
inline constexpr const char* RestoreItemFailed = "ユーザのデータの復活に失敗しました";

// Style of the error policy's question: system modal, stop icon, Yes/No.
inline constexpr unsigned ContinueQuestionStyle = 4116;

}  // namespace tollervy::engine_text
