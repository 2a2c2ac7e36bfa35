// The fixture of the contract cases: one platform per test, a fresh folder,
// and small helpers that use only the platform interfaces.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "contract/ContractPlatform.h"

namespace tollervy::contract {

using Names = std::vector<std::string>;

class ContractTest : public ::testing::Test {
protected:
    std::unique_ptr<ContractPlatform> platform_ = MakeContractPlatform();
    platform::FileSystem& fs = platform_->fs();
    platform::Profile& profile = platform_->profile();
    const std::string dir = platform_->scratch();

    std::string At(const std::string& name) const { return dir + "\\" + name; }

    // A file with these bytes and (when not 0) these attributes.
    void MakeFile(const std::string& name, const std::string& bytes, std::uint32_t attributes = 0) {
        ASSERT_TRUE(fs.WriteFileAtomic(At(name), bytes)) << At(name) << ": " << fs.LastErrorText();
        if (attributes != 0) {
            ASSERT_TRUE(fs.SetAttributes(At(name), attributes)) << At(name) << ": " << fs.LastErrorText();
        }
    }
    void MakeFolder(const std::string& name, std::uint32_t attributes = 0) {
        ASSERT_TRUE(fs.CreateFolder(At(name))) << At(name) << ": " << fs.LastErrorText();
        if (attributes != 0) {
            ASSERT_TRUE(fs.SetAttributes(At(name), attributes)) << At(name) << ": " << fs.LastErrorText();
        }
    }
    // The listing, sorted (the order of a listing is the file system's own).
    Names Listed(const std::string& spec, std::uint32_t filter) {
        Names names;
        EXPECT_TRUE(fs.List(spec, filter, names)) << spec << ": " << fs.LastErrorText();
        std::sort(names.begin(), names.end());
        return names;
    }
    std::uint32_t AttributesOf(const std::string& path) {
        std::uint32_t a = 0;
        EXPECT_TRUE(fs.GetAttributes(path, a)) << path << ": " << fs.LastErrorText();
        return a;
    }
    std::string Bytes(const std::string& path) {
        std::string bytes;
        EXPECT_TRUE(fs.ReadFile(path, bytes)) << path << ": " << fs.LastErrorText();
        return bytes;
    }
};

}  // namespace tollervy::contract
