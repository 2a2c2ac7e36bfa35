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

// Why an item's copy in place was not overwritten: it could not be saved.
inline constexpr const char* NotOverwrittenUnsaved = "前ユーザのデータを待避できなかったため、上書きしませんでした";

// Style of the error policy's question: system modal, stop icon, Yes/No.
inline constexpr unsigned ContinueQuestionStyle = 4116;

// The shared store of several PCs.
// At start, or at a switch, when the shared folder does not answer (style
// 16); the folder follows on a line of its own after an empty line.
inline constexpr const char* StoreUnreachable =
    "共有フォルダに接続できません\r\nファイルの切り替えは行いません";
// An item that failed during a switch while the shared folder did not
// answer: the reason given, with the folder on the next line.
inline constexpr const char* StoreGone = "共有フォルダに接続できません";
// The person's copies are in use on another PC: the question (style
// CheckedOutStyle) is the user name, CheckedOutSuffix, the PC and since
// when, and CheckedOutQuestion.
inline constexpr const char* CheckedOutSuffix = "のデータは、別のパソコンで使用中です";
inline constexpr const char* CheckedOutPc = "パソコン : ";
inline constexpr const char* CheckedOutThisPc = " (このパソコン)";
inline constexpr const char* CheckedOutUnknownPc = "(不明)";
inline constexpr const char* CheckedOutSince = "使用開始 : ";
inline constexpr const char* CheckedOutQuestion =
    "最後に保存されたデータでログオンしますか?\r\n"
    "使用中のパソコンのデータは、後で別のフォルダに保存されます\r\n"
    "「いいえ」を選ぶとログオンしません";
// When that PC's saving of the copies into the store stopped part-way (it
// died, or the server went): PC, SavingStoppedSuffix, the time and age, then
// SavingStoppedMixed, between the PC's lines and the question.
inline constexpr const char* SavingStoppedSuffix = "でのデータの待避が途中で止まっています : ";
inline constexpr const char* SavingStoppedMixed =
    "最後に保存されたデータは、一部のファイルが古いか、欠けているかもしれません\r\n"
    "そのパソコンでもう一度ログオンすると、データはすべて保存されます";
// Units of the age shown after the time: "(3時間前)".
inline constexpr const char* AgeMinutes = "分前";
inline constexpr const char* AgeHours = "時間前";
inline constexpr const char* AgeDays = "日前";
// System modal, question icon, Yes/No, No the default button.
inline constexpr unsigned CheckedOutStyle = 4096 + 256 + 32 + 4;
// At logon, copies kept beside the person's newer ones (style 64); the
// folders follow, one a line, after an empty line.
inline constexpr const char* ConflictsKept =
    "別のパソコンで使っていた間に保存されたデータを、新しいデータとは別のフォルダに残しました\r\n"
    "必要なファイルは、そこから取り出してください";
// The switch log's line for such a copy: the user, the PC and the folder.
inline constexpr const char* ConflictLogPrefix = "競合 ";

}  // namespace tollervy::engine_text
