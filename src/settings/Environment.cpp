#include "settings/Environment.h"

#include "ui/Form.h"

namespace tollervy {

std::string GetLoginUserName(Context& c) {
    std::string name;
    if (!c.system.UserName(name)) return "";
    return name;
}

bool FitsAnsiCodePage(Context& c, const std::string& text) { return c.system.FitsAnsiCodePage(text); }

std::string OutsideCodePageMessage(const std::string& text) {
    return "この文字列には、このパソコンで保存できない文字が含まれています\r\n\r\n" + text;
}

std::string OsVersionTagOf(const platform::VersionInfo& v) {
    if (v.platformId == 1) {
        switch (v.minor) {
            case 0: return "95";
            case 10: return "98";
            case 90: return "ME";
            default: return "XXX";
        }
    }
    if (v.platformId == 2) {
        if (v.major == 4) return "NT4";
        if (v.major == 5 && v.minor == 0) return "2000";
        if (v.major == 5 && v.minor == 1) return "XP";
        return "XXX";
    }
    return "XXX";
}

bool IsWindows9x(const platform::VersionInfo& v) { return v.platformId == 1; }

std::string GetOsVersionTag(Context& c) {
    platform::VersionInfo v;
    if (!c.system.Version(v)) return "XXX";
    return OsVersionTagOf(v);
}

std::string GetSpecialFolderPath(Context& c, int csidl) {
    return c.shell.SpecialFolderPath(csidl);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

void ShowMessage(Context& c, const std::string& text, unsigned style) {
    c.messages.Show(text, ProgramTitle, style + StyleSystemModal);
}

void ShowDebugMessage(Context& c, const std::string& text, unsigned style) {
    if (c.state.StartDebug == "1") ShowMessage(c, text, style);
}

int DisableCloseCommand(ui::Form& form) {
    return form.Host().DisableCloseCommand(form) ? 1 : 0;
}

void SetTopMost(ui::Form& form) {
    form.Host().SetTopMost(form);
}

}  // namespace tollervy
