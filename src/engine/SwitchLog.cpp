#include "engine/SwitchLog.h"

#include <cstdio>

#include "engine/PathUtil.h"
#include "engine/SaveRestore.h"
#include "engine/StoreNames.h"
#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {

namespace {

const char* CauseText(SwitchCause cause) {
    switch (cause) {
        case SwitchCause::WindowsStart: return "Windowsの起動";
        case SwitchCause::LogonDialog: return "ログオン画面";
        case SwitchCause::IconMenu: return "アイコンのメニュー";
        case SwitchCause::ExitRestore: return "終了時の復元";
        case SwitchCause::SettingsDialog: return "設定画面";
    }
    return "";
}

std::string UserText(const std::string& user) {
    return user == "\\" ? std::string("未登録のユーザ") : user;
}

// One line of the log: no line break inside.
std::string OneLine(std::string text) {
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.replace(at, 2, " ");
    for (char& ch : text)
        if (ch == '\r' || ch == '\n') ch = ' ';
    return text;
}

}  // namespace

std::string SwitchLog::Path(Context& c) { return JoinPath(c.state.DataFolderPath, "Switch.log"); }
std::string SwitchLog::OldPath(Context& c) { return JoinPath(c.state.DataFolderPath, "Switch.old.log"); }

std::string SwitchLog::Now() const {
    const platform::LocalTime t = c_.system.LocalNow();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

void SwitchLog::Write(const std::string& text) {
    if (unwritable_) return;
    if (c_.fs.AppendBytes(Path(c_), (fresh_ ? "\xEF\xBB\xBF" : "") + Now() + " " + OneLine(text) + "\r\n")) {
        fresh_ = false;
        return;
    }
    unwritable_ = true;
    // Said in the first log that can be written again.
    if (ReadIniValue(c_, keys::LogUnwritten).empty()) WriteIniValue(c_, keys::LogUnwritten, Now());
}

void SwitchLog::Begin(const std::string& from, const std::string& to, SwitchCause cause) {
    const std::string path = Path(c_);
    std::uint64_t length = 0;
    const bool exists = c_.fs.FileLength(path, length);
    fresh_ = !exists || length == 0;
    if (exists && length >= Limit) {
        c_.fs.DeleteFile(OldPath(c_));
        fresh_ = c_.fs.MoveFile(path, OldPath(c_));
    }
    const std::string lost = ReadIniValue(c_, keys::LogUnwritten);
    Write("切り替え開始: " + UserText(from) + " → " + UserText(to) + " (" + CauseText(cause) + ")");
    if (!lost.empty() && !unwritable_) {
        Write("(" + lost + " からの切り替えはこのログに書けませんでした)");
        DeleteIniKey(c_, keys::LogUnwritten.section, keys::LogUnwritten.key);
    }
}

void SwitchLog::Item(const ItemStep& step, bool succeeded, std::uint64_t ticks) {
    std::string key, value;
    if (!SplitFileLine(step.line, key, value)) value = step.line;
    const char* done = step.saving ? "保存" : "回復";
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", static_cast<double>(ticks) / platform::FileTimeSecond);
    std::string text = std::string(done) + " " + key + " " + value + " (" + UserText(step.user) + "): ";
    if (!succeeded) text += "失敗 ";
    text += std::string(done) + " " + std::to_string(step.copied) + ", そのまま " + std::to_string(step.current);
    if (step.saving) text += ", バックアップ " + std::to_string(step.setAside);
    Write(text + " (" + seconds + "秒)");
}

void SwitchLog::Failure(const ItemStep& step, const std::string& question, bool goesOn) {
    std::string key, value;
    if (!SplitFileLine(step.line, key, value)) value = step.line;
    const std::string path = step.failedPath.empty() ? value : step.failedPath;
    const std::string reason = step.failedReason.empty() ? "理由不明" : step.failedReason;
    const char* answer = c_.state.LastErrorNext == 2 ? (goesOn ? "はい (続行)" : "いいえ (中止)")
                                                     : (goesOn ? "続行 (設定による)" : "中止 (設定による)");
    Write("エラー " + path + ": " + reason + " / " + question + " / 回答: " + answer);
    ++failures_;
}

void SwitchLog::End(bool done) {
    // A run that went on past failed items is done, but not whole.
    std::string text = done ? "切り替え終了: 完了" : "切り替え終了: 中断";
    if (done && failures_ != 0) text += " (失敗した項目 " + std::to_string(failures_) + ")";
    Write(text);
}

}  // namespace tollervy
