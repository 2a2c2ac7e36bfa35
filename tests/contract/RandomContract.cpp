// The system's random bytes, on which the tags of copied bytes rest: every
// byte asked for is filled, and no two draws repeat.
#include <set>

#include "contract/ContractTest.h"

namespace tollervy::contract {
namespace {

class RandomContract : public ContractTest {};

TEST_F(RandomContract, EveryDrawFillsItsBytesAndNoneRepeats) {
    platform::System& system = platform_->system();
    std::set<std::string> draws;
    for (int i = 0; i < 64; ++i) {
        std::string bytes(8, '\0');
        ASSERT_TRUE(system.RandomBytes(bytes.data(), bytes.size()));
        draws.insert(bytes);
    }
    EXPECT_EQ(draws.size(), 64u);
    // A long draw has no run of untouched bytes.
    std::string sentinel(256, '\x5a');
    ASSERT_TRUE(system.RandomBytes(sentinel.data(), sentinel.size()));
    EXPECT_LT(std::count(sentinel.begin(), sentinel.end(), '\x5a'), 16);
}

}  // namespace
}  // namespace tollervy::contract
