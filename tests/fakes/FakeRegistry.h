// An in-memory HKEY_CURRENT_USER for the unit tests. Key names compare
// without regard to ASCII case and keep the case they were made with;
// subkeys list in name order, values in the order they were first written
// (as Windows keeps them). Errors are Windows': 2 no such key, 5 denied.
//
// Fault injection, as FakeFileSystem's:
//   FailNth(op, n)      the n-th call of a kind fails
//   FailKey(key)        every call on the key, or below it, fails
//   AbortAtMutation(n)  the n-th change (a key made or deleted, one value
//                       written or deleted) throws ProcessEnded before it
#pragma once
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace tollervy::fakes {

class FakeRegistry : public platform::Registry {
public:
    enum class Op { Exists, ListSubkeys, ListValues, CreateKey, DeleteKey, SetValues, DeleteValues, Stamp };
    static constexpr std::size_t OpCount = 8;

    FakeRegistry();
    ~FakeRegistry() override;

    bool KeyExists(const std::string& key, bool& exists) override;
    bool ListSubkeys(const std::string& key, std::vector<std::string>& names) override;
    bool ListValues(const std::string& key, std::vector<platform::RegValue>& values) override;
    bool StampKey(const std::string& key, platform::KeyStamp& stamp, std::vector<platform::KeyStamp>& subkeys) override;
    bool CreateKey(const std::string& key) override;
    bool DeleteKey(const std::string& key) override;
    bool SetValues(const std::string& key, const std::vector<platform::RegValue>& values) override;
    bool DeleteValues(const std::string& key, const std::vector<std::string>& names) override;
    std::uint32_t LastError() override { return lastError_; }
    std::string LastErrorText() override;

    // The time a change made now is stamped with (the fake file system's
    // clock in FakePlatform); a counter of its own otherwise.
    std::function<std::uint64_t()> clock;

    // --- Setting up and looking (not counted, no faults) -----------------
    void Put(const std::string& key, const platform::RegValue& value);  // the key made as needed
    void Remove(const std::string& key);                                // the whole tree
    bool Has(const std::string& key) const;
    // The tree below and with `key`: "sub\\" for each key (relative, "" for
    // `key` itself), and "sub\\name" -> type + ":" + bytes for each value.
    std::map<std::string, std::string> Dump(const std::string& key) const;

    // --- Faults and counting ---------------------------------------------
    int Calls(Op op) const { return calls_[static_cast<std::size_t>(op)]; }
    int TotalCalls() const;
    int Mutations() const { return mutations_; }
    void FailNth(Op op, int n, std::uint32_t error = 5);
    void FailNthCall(int n, std::uint32_t error = 5);  // of every kind, in one sequence
    void FailKey(const std::string& key, std::uint32_t error = 5);
    void AbortAtMutation(int n) { abortAt_ = n; }
    void ClearFaults();
    int FaultsFired() const { return faultsFired_; }

    struct Node;

private:
    bool Begin(Op op, const std::string& key);
    bool Mutate();
    Node* Find(const std::string& key) const;
    Node* Make(const std::string& key);
    void Touch(Node* n);

    std::unique_ptr<Node> root_;
    std::uint32_t lastError_ = 0;
    std::array<int, OpCount> calls_{};
    std::uint64_t ticks_ = 0;
    int total_ = 0, mutations_ = 0, abortAt_ = 0, faultsFired_ = 0, failCall_ = 0;
    std::uint32_t failCallError_ = 5;
    std::vector<std::pair<std::pair<Op, int>, std::uint32_t>> failNth_;
    std::vector<std::pair<std::string, std::uint32_t>> failKeys_;
};

}  // namespace tollervy::fakes
