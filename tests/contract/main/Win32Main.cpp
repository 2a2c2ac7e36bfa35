// The contract suite against the Win32 layer (run under Wine). Each test gets
// a fresh folder under the temporary folder, removed again afterwards.
#include <gtest/gtest.h>

#include "win32/WinApi.h"  // <windows.h> without the CopyFile/MoveFile/DeleteFile macros

#include <string>
#include <vector>

#include "contract/ContractPlatform.h"
#include "win32/Encoding.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Profile.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"
#include "win32/Win32System.h"
#include "wine/Scratch.h"

namespace tollervy::contract {
namespace {

using scratch::RemoveTree;
using scratch::TempPath;

// Whether a read-only file refuses to be opened for writing here: Wine run by
// root writes it anyway, and then the read-only cases cannot be tested.
bool ReadOnlyHolds() {
    static const bool holds = [] {
        const std::wstring path =
            TempPath() + L"\\tollervy-readonly-probe-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        CloseHandle(h);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        const bool refused = h == INVALID_HANDLE_VALUE;
        if (!refused) CloseHandle(h);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
        return refused;
    }();
    return holds;
}

class Win32ContractPlatform : public ContractPlatform {
public:
    ~Win32ContractPlatform() override {
        for (const auto& folder : made_) RemoveTree(folder);
        for (const auto& key : keys_) RemoveKeyTree(registry_, key);
        if (!keys_.empty()) registry_.DeleteKey("Software\\TollervyContract");  // when nothing else is in it
    }
    platform::FileSystem& fs() override { return fs_; }
    platform::Profile& profile() override { return profile_; }
    platform::Shell& shell() override { return shell_; }
    platform::System& system() override { return system_; }
    platform::Registry& registry() override { return registry_; }
    std::string scratchKey() override {
        static int count = 0;
        keys_.push_back("Software\\TollervyContract\\" + std::to_string(GetCurrentProcessId()) + "-" +
                        std::to_string(++count));
        RemoveKeyTree(registry_, keys_.back());
        return keys_.back();
    }
    std::string scratch() override {
        static int count = 0;
        const std::wstring folder = TempPath() + L"\\tollervy-contract-" + std::to_wstring(GetCurrentProcessId()) +
                                    L"-" + std::to_wstring(++count);
        RemoveTree(folder);
        if (!CreateDirectoryW(folder.c_str(), nullptr))
            ADD_FAILURE() << "cannot make the scratch folder, error " << GetLastError();
        made_.push_back(folder);
        return win32::Narrow(folder);
    }
    bool canTestReadOnly() override { return ReadOnlyHolds(); }
    std::string name() override { return "win32"; }
    bool underWine() override {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }

private:
    win32::Win32FileSystem fs_;
    win32::Win32Profile profile_;
    win32::Win32Shell shell_;
    win32::Win32System system_;
    win32::Win32Registry registry_;
    std::vector<std::wstring> made_;
    std::vector<std::string> keys_;
};

}  // namespace

std::unique_ptr<ContractPlatform> MakeContractPlatform() { return std::make_unique<Win32ContractPlatform>(); }

}  // namespace tollervy::contract

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
