// The contract suite against the in-memory platform.
#include <gtest/gtest.h>

#include "contract/ContractPlatform.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeProfile.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeSystem.h"

namespace tollervy::contract {
namespace {

class FakeContractPlatform : public ContractPlatform {
public:
    platform::FileSystem& fs() override { return fs_; }
    platform::Profile& profile() override { return profile_; }
    platform::Shell& shell() override { return shell_; }
    platform::System& system() override { return system_; }
    platform::Registry& registry() override { return registry_; }
    std::string scratchKey() override { return "Software\\TollervyContract\\" + std::to_string(++count_); }
    std::string scratch() override {
        const std::string path = "C:\\Temp\\contract" + std::to_string(++count_);
        fs_.AddFolder(path);
        return path;
    }
    bool canTestReadOnly() override { return true; }
    std::string name() override { return "fakes"; }

private:
    fakes::FakeFileSystem fs_;
    fakes::FakeProfile profile_{fs_};
    fakes::FakeShell shell_{&fs_};
    fakes::FakeSystem system_;
    fakes::FakeRegistry registry_;
    int count_ = 0;
};

}  // namespace

std::unique_ptr<ContractPlatform> MakeContractPlatform() { return std::make_unique<FakeContractPlatform>(); }

}  // namespace tollervy::contract

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
