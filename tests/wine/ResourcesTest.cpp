// The resources every build carries (this test program links the same ones
// as Tollervy.exe): the icon in each size and colour depth Explorer and the
// notification area ask for, and one version in the version record, the
// manifest and the version header the build makes from the project.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "version.h"
#include "win32/Win32System.h"

#include <windows.h>

namespace tollervy::win32 {
namespace {

constexpr int IconId = 1;  // IDI_TOLLERVY

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

TEST(Resources, TheIconComesIn16_32And48PixelsEachIn8And32BitColour) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IconId), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(group, nullptr);
    const auto* head = reinterpret_cast<const GroupIconHeader*>(group);
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(group + sizeof(GroupIconHeader));
    std::set<std::pair<int, int>> images;
    for (int i = 0; i < head->count; ++i) {
        images.insert({entries[i].width, entries[i].bitCount});
        // Each image is there and is a bitmap of its stated size and depth.
        HRSRC image = FindResourceW(nullptr, MAKEINTRESOURCEW(entries[i].id), MAKEINTRESOURCEW(3));  // RT_ICON
        ASSERT_NE(image, nullptr) << "image " << entries[i].id;
        const auto* bitmap = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, image)));
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->biWidth, entries[i].width);
        EXPECT_EQ(bitmap->biHeight, 2 * entries[i].width) << "colour and mask";
        EXPECT_EQ(bitmap->biBitCount, entries[i].bitCount);
    }
    EXPECT_EQ(images, (std::set<std::pair<int, int>>{{16, 8}, {16, 32}, {32, 8}, {32, 32}, {48, 8}, {48, 32}}));

    // The system picks the 48-pixel image for a large icon.
    HICON large = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IconId), IMAGE_ICON, 48, 48, 0));
    ASSERT_NE(large, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(large, &info));
    BITMAP colour{};
    GetObjectW(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 48);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(large);
}

TEST(Resources, TheVersionRecordAndTheManifestCarryTheProjectsVersion) {
    Win32System system;
    const platform::ProgramVersion v = system.VersionRecord();
    EXPECT_EQ(std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision),
              TOLLERVY_VERSION_TEXT);

    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    const std::string manifest(text, SizeofResource(nullptr, found));
    EXPECT_NE(manifest.find(std::string("name=\"Tollervy\" version=\"") + TOLLERVY_VERSION_TEXT + ".0\""),
              std::string::npos)
        << manifest.substr(0, 300);
}

}  // namespace
}  // namespace tollervy::win32
