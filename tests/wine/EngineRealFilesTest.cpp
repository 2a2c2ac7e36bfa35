// The switching engine on real files through the Win32 layer: a folder tree
// with hidden, system and read-only files and Japanese names, a settings file
// and a pattern, saved as one user's and restored as another's and back,
// compared byte for byte.
#include <gtest/gtest.h>

#include "win32/WinApi.h"

#include <map>
#include <string>
#include <vector>

#include "engine/SaveRestore.h"
#include "settings/Context.h"
#include "win32/Encoding.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Profile.h"
#include "win32/Win32Shell.h"
#include "win32/Win32System.h"
#include "wine/Scratch.h"

namespace tollervy {
namespace {

// Message boxes recorded, never shown: a real box would wait for a person.
class RecordedMessages : public platform::Messages {
public:
    int Show(const std::string& text, const std::string&, unsigned style) override {
        texts.push_back(text);
        return style == 4116 ? platform::AnswerNo : platform::AnswerOK;
    }
    std::vector<std::string> texts;
};

// The program "lives" in the test's own folder, with its data store.
class TestSystem : public win32::Win32System {
public:
    explicit TestSystem(std::string folder) : folder_(std::move(folder)) {}
    std::string ProgramFolder() override { return folder_; }
    [[noreturn]] void EndProcess(int code) override {
        ADD_FAILURE() << "the engine ended the process with " << code;
        std::abort();
    }

private:
    std::string folder_;
};

using scratch::RemoveTree;

std::string MakeTemp() {
    std::wstring path = scratch::TempPath() + L"\\tollervy-engine-" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(path);
    CreateDirectoryW(path.c_str(), nullptr);
    return win32::Narrow(path);
}

void MakeFolders(const std::string& path) {
    std::string partial;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            if (partial.size() > 2) CreateDirectoryW(win32::Widen(partial).c_str(), nullptr);
        }
        if (i < path.size()) partial += path[i];
    }
}

void Write(const std::string& path, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    MakeFolders(path.substr(0, path.rfind('\\')));
    const std::wstring w = win32::Widen(path);
    SetFileAttributesW(w.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE h = CreateFileW(w.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    SetFileAttributesW(w.c_str(), attributes);
}

// Every byte value, and enough of them to take more than one buffer.
std::string Binary(unsigned seed, std::size_t size) {
    std::string s(size, '\0');
    unsigned x = seed;
    for (auto& ch : s) {
        x = x * 1103515245u + 12345u;
        ch = static_cast<char>(x >> 16);
    }
    return s;
}

struct Entry {
    std::string bytes;
    std::uint32_t attributes = 0;  // hidden, system and read-only bits only
    bool operator==(const Entry&) const = default;
};
using Tree = std::map<std::string, Entry>;

// Files and folders under `folder` by relative path (folders end with "\").
void Walk(const std::string& folder, const std::string& rel, Tree& tree) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(win32::Widen(folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::string n = win32::Narrow(name);
        const std::uint32_t bits = data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                            FILE_ATTRIBUTE_READONLY);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[rel + n + "\\"] = {};
            Walk(folder + "\\" + n, rel + n + "\\", tree);
        } else {
            win32::Win32FileSystem fs;
            std::string bytes;
            EXPECT_TRUE(fs.ReadFile(folder + "\\" + n, bytes)) << folder << "\\" << n;
            tree[rel + n] = {bytes, bits};
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

Tree TreeOf(const std::string& folder) {
    Tree tree;
    Walk(folder, "", tree);
    return tree;
}

Tree Without(Tree tree, std::initializer_list<const char*> names) {
    for (const char* n : names) tree.erase(n);
    return tree;
}

class EngineRealFiles : public testing::Test {
protected:
    EngineRealFiles()
        : root(MakeTemp()), program(root + "\\Tollervy"), system(program),
          c{fs, profile, messages, system, shell, {}, nullptr} {
        MakeFolders(program + "\\Data\\All Users");
        c.state.IniFilePath = program + "\\Tollervy.ini";
        c.state.DataFolderPath = program + "\\Data";
        c.state.StartStatus = "1";
        c.state.StartDebug = "0";
        c.state.DeleteReadOnly = "0";
        c.state.LastErrorNext = 1;
        live = root + "\\live";
        docs = live + "\\docs";
        // The items, by ASCII paths so that any ANSI code page holds them.
        const std::string docsValue = docs + "\\", ini = live + "\\app.ini", saves = live + "\\game\\*.sav";
        profile.WriteString(c.state.IniFilePath, "File", "F1", &docsValue);
        profile.WriteString(c.state.IniFilePath, "File", "F2", &ini);
        profile.WriteString(c.state.IniFilePath, "File", "F3", &saves);
    }
    ~EngineRealFiles() override { RemoveTree(win32::Widen(root)); }

    std::string Store(const std::string& user, const std::string& key) const {
        return program + "\\Data\\" + user + "\\" + key;
    }

    std::string root, program, live, docs;
    win32::Win32FileSystem fs;
    win32::Win32Profile profile;
    RecordedMessages messages;
    TestSystem system;
    win32::Win32Shell shell;
    Context c;
};

TEST_F(EngineRealFiles, SaveAndRestoreKeepEveryByteAndLeaveHiddenAndSystemFilesAlone) {
    Write(docs + "\\a.txt", "Aoi's a\r\n");
    Write(docs + "\\日本語フォルダ\\ファイル名.txt", "日本語の内容");
    Write(docs + "\\sub\\deep\\data.bin", Binary(1, 300 * 1024));
    Write(docs + "\\empty.txt", "");
    MakeFolders(docs + "\\空のフォルダ");
    Write(docs + "\\hidden.txt", "hidden", FILE_ATTRIBUTE_HIDDEN);
    Write(docs + "\\system.txt", "system", FILE_ATTRIBUTE_SYSTEM);
    Write(docs + "\\sub\\ro.txt", "read-only", FILE_ATTRIBUTE_READONLY);
    Write(live + "\\app.ini", "[Aoi]\r\n");
    Write(live + "\\game\\1.sav", Binary(2, 5000));
    Write(live + "\\game\\notes.txt", "not a save");
    const Tree aoiDocs = TreeOf(docs);
    ASSERT_EQ(aoiDocs.at("sub\\ro.txt").attributes, static_cast<std::uint32_t>(FILE_ATTRIBUTE_READONLY));
    ASSERT_EQ(aoiDocs.at("hidden.txt").attributes, static_cast<std::uint32_t>(FILE_ATTRIBUTE_HIDDEN));

    // Read-only files protected: the folder item fails before its copy is
    // touched, and the policy "stop" ends the run.
    EXPECT_FALSE(SaveUserData(c, "Aoi"));
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[0], docs + "\\sub\\ro.txt\r\n読み取り専用です");
    EXPECT_EQ(messages.texts[1], "異常が発生しました\r\n処理を終了します");
    EXPECT_EQ(GetFileAttributesW(win32::Widen(Store("Aoi", "F1")).c_str()), INVALID_FILE_ATTRIBUTES);

    // Read-only files may change: everything is saved, hidden and system
    // files excepted, read-only bit kept.
    messages.texts.clear();
    c.state.DeleteReadOnly = "1";
    ASSERT_TRUE(SaveUserData(c, "Aoi"));
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(TreeOf(Store("Aoi", "F1")), Without(aoiDocs, {"hidden.txt", "system.txt"}));
    EXPECT_EQ(TreeOf(Store("Aoi", "F2")), (Tree{{"app.ini", {"[Aoi]\r\n", 0}}}));
    EXPECT_EQ(TreeOf(Store("Aoi", "F3")), (Tree{{"1.sav", {Binary(2, 5000), 0}}}));

    // Ken's copies in place of Aoi's.
    Write(Store("Ken", "F1") + "\\ken.txt", "Ken's");
    Write(Store("Ken", "F1") + "\\ケン\\日記.bin", Binary(3, 70000));
    Write(Store("Ken", "F2") + "\\app.ini", "[Ken]\r\n");
    Write(Store("Ken", "F3") + "\\2.sav", Binary(4, 4000));
    const Tree kenDocs = TreeOf(Store("Ken", "F1"));
    ASSERT_TRUE(RestoreUserData(c, "Ken", "Aoi"));
    Tree expected = kenDocs;
    expected["hidden.txt"] = aoiDocs.at("hidden.txt");  // never copied, never deleted
    expected["system.txt"] = aoiDocs.at("system.txt");
    EXPECT_EQ(TreeOf(docs), expected);
    Tree app;
    Walk(live, "", app);
    EXPECT_EQ(app.at("app.ini").bytes, "[Ken]\r\n");
    EXPECT_EQ(app.at("game\\2.sav").bytes, Binary(4, 4000));
    EXPECT_EQ(app.count("game\\1.sav"), 0u);
    EXPECT_EQ(app.at("game\\notes.txt").bytes, "not a save");

    // And back: Aoi finds exactly what she left.
    ASSERT_TRUE(SaveUserData(c, "Ken"));
    ASSERT_TRUE(RestoreUserData(c, "Aoi", "Ken"));
    EXPECT_EQ(TreeOf(docs), aoiDocs);
    app.clear();
    Walk(live, "", app);
    EXPECT_EQ(app.at("app.ini").bytes, "[Aoi]\r\n");
    EXPECT_EQ(app.at("game\\1.sav").bytes, Binary(2, 5000));
    EXPECT_EQ(app.count("game\\2.sav"), 0u);
    EXPECT_EQ(TreeOf(Store("Ken", "F1")), kenDocs);
    EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
}  // namespace tollervy
