#include "fakes/FakeRegistry.h"

#include <algorithm>

#include "fakes/ProcessEnded.h"

namespace tollervy::fakes {

namespace {

std::string Fold(std::string s) {
    for (auto& ch : s)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return s;
}

std::vector<std::string> Parts(const std::string& key) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= key.size()) {
        const auto slash = key.find('\\', at);
        const std::string part = key.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
        if (!part.empty()) parts.push_back(part);
        if (slash == std::string::npos) break;
        at = slash + 1;
    }
    return parts;
}

}  // namespace

struct FakeRegistry::Node {
    std::string name;
    std::uint64_t lastWrite = 0;
    std::vector<platform::RegValue> values;
    std::map<std::string, std::unique_ptr<Node>> children;  // by folded name
};

FakeRegistry::FakeRegistry() : root_(std::make_unique<Node>()) {}
FakeRegistry::~FakeRegistry() = default;

FakeRegistry::Node* FakeRegistry::Find(const std::string& key) const {
    Node* n = root_.get();
    for (const auto& part : Parts(key)) {
        const auto it = n->children.find(Fold(part));
        if (it == n->children.end()) return nullptr;
        n = it->second.get();
    }
    return n;
}

FakeRegistry::Node* FakeRegistry::Make(const std::string& key) {
    Node* n = root_.get();
    for (const auto& part : Parts(key)) {
        auto& child = n->children[Fold(part)];
        if (!child) {
            child = std::make_unique<Node>();
            child->name = part;
            Touch(n);
            Touch(child.get());
        }
        n = child.get();
    }
    return n;
}

void FakeRegistry::Touch(Node* n) { n->lastWrite = clock ? clock() : ++ticks_; }

bool FakeRegistry::StampKey(const std::string& key, platform::KeyStamp& stamp,
                            std::vector<platform::KeyStamp>& subkeys) {
    subkeys.clear();
    if (!Begin(Op::Stamp, key)) return false;
    const Node* n = Find(key);
    if (!n) return lastError_ = 2, false;
    stamp = {"", n->lastWrite};
    for (const auto& [folded, child] : n->children) subkeys.push_back({child->name, child->lastWrite});
    return true;
}

bool FakeRegistry::Begin(Op op, const std::string& key) {
    ++calls_[static_cast<std::size_t>(op)];
    ++total_;
    const auto fail = [&](std::uint32_t error) {
        ++faultsFired_;
        lastError_ = error;
        return false;
    };
    if (failCall_ == total_) return fail(failCallError_);
    for (const auto& [nth, error] : failNth_)
        if (nth.first == op && nth.second == calls_[static_cast<std::size_t>(op)]) return fail(error);
    const std::string folded = Fold(key);
    for (const auto& [k, error] : failKeys_)
        if (folded == k || folded.rfind(k + "\\", 0) == 0) return fail(error);
    return true;
}

bool FakeRegistry::Mutate() {
    if (++mutations_ == abortAt_) {
        ++faultsFired_;
        throw ProcessEnded{AbortedCode};
    }
    return true;
}

bool FakeRegistry::KeyExists(const std::string& key, bool& exists) {
    exists = false;
    if (!Begin(Op::Exists, key)) return false;
    exists = Find(key) != nullptr;
    return true;
}

bool FakeRegistry::ListSubkeys(const std::string& key, std::vector<std::string>& names) {
    names.clear();
    if (!Begin(Op::ListSubkeys, key)) return false;
    const Node* n = Find(key);
    if (!n) return lastError_ = 2, false;
    for (const auto& [folded, child] : n->children) names.push_back(child->name);
    return true;
}

bool FakeRegistry::ListValues(const std::string& key, std::vector<platform::RegValue>& values) {
    values.clear();
    if (!Begin(Op::ListValues, key)) return false;
    const Node* n = Find(key);
    if (!n) return lastError_ = 2, false;
    values = n->values;
    return true;
}

bool FakeRegistry::CreateKey(const std::string& key) {
    if (!Begin(Op::CreateKey, key)) return false;
    if (Find(key)) return true;
    Mutate();
    Make(key);
    return true;
}

bool FakeRegistry::DeleteKey(const std::string& key) {
    if (!Begin(Op::DeleteKey, key)) return false;
    const auto parts = Parts(key);
    Node* n = Find(key);
    if (!n || parts.empty()) return lastError_ = 2, false;
    if (!n->children.empty()) return lastError_ = 5, false;
    Mutate();
    std::string parent;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) parent += parts[i] + "\\";
    Node* p = Find(parent);
    p->children.erase(Fold(parts.back()));
    Touch(p);
    return true;
}

bool FakeRegistry::SetValues(const std::string& key, const std::vector<platform::RegValue>& values) {
    if (!Begin(Op::SetValues, key)) return false;
    Node* n = Find(key);
    if (!n) return lastError_ = 2, false;
    for (const auto& v : values) {
        Mutate();
        const auto it = std::find_if(n->values.begin(), n->values.end(),
                                     [&](const platform::RegValue& w) { return Fold(w.name) == Fold(v.name); });
        if (it == n->values.end()) {
            n->values.push_back(v);
        } else {  // the value keeps the spelling it was made with
            it->type = v.type;
            it->data = v.data;
        }
        Touch(n);
    }
    return true;
}

bool FakeRegistry::DeleteValues(const std::string& key, const std::vector<std::string>& names) {
    if (!Begin(Op::DeleteValues, key)) return false;
    Node* n = Find(key);
    if (!n) return lastError_ = 2, false;
    for (const auto& name : names) {
        const auto it = std::find_if(n->values.begin(), n->values.end(),
                                     [&](const platform::RegValue& w) { return Fold(w.name) == Fold(name); });
        if (it == n->values.end()) continue;
        Mutate();
        n->values.erase(it);
        Touch(n);
    }
    return true;
}

std::string FakeRegistry::LastErrorText() {
    switch (lastError_) {
        case 2: return "指定されたファイルが見つかりません。";
        case 5: return "アクセスが拒否されました。";
        default: return "error " + std::to_string(lastError_);
    }
}

void FakeRegistry::Put(const std::string& key, const platform::RegValue& value) {
    Node* n = Make(key);
    const auto it = std::find_if(n->values.begin(), n->values.end(),
                                 [&](const platform::RegValue& w) { return Fold(w.name) == Fold(value.name); });
    if (it == n->values.end())
        n->values.push_back(value);
    else
        *it = value;
    Touch(n);
}

void FakeRegistry::Remove(const std::string& key) {
    const auto parts = Parts(key);
    if (parts.empty()) return;
    std::string parent;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) parent += parts[i] + "\\";
    if (Node* p = Find(parent)) {
        p->children.erase(Fold(parts.back()));
        Touch(p);
    }
}

bool FakeRegistry::Has(const std::string& key) const { return Find(key) != nullptr; }

std::map<std::string, std::string> FakeRegistry::Dump(const std::string& key) const {
    std::map<std::string, std::string> dump;
    const auto walk = [&](auto& self, const Node* n, const std::string& relative) -> void {
        dump[relative] = "<key>";
        for (const auto& v : n->values) dump[relative + v.name] = std::to_string(v.type) + ":" + v.data;
        for (const auto& [folded, child] : n->children) self(self, child.get(), relative + child->name + "\\");
    };
    if (const Node* n = Find(key)) walk(walk, n, "");
    return dump;
}

int FakeRegistry::TotalCalls() const { return total_; }

void FakeRegistry::FailNth(Op op, int n, std::uint32_t error) { failNth_.push_back({{op, n}, error}); }
void FakeRegistry::FailNthCall(int n, std::uint32_t error) {
    failCall_ = n;
    failCallError_ = error;
}
void FakeRegistry::FailKey(const std::string& key, std::uint32_t error) { failKeys_.push_back({Fold(key), error}); }
void FakeRegistry::ClearFaults() {
    failNth_.clear();
    failKeys_.clear();
    failCall_ = 0;
    abortAt_ = 0;
}

}  // namespace tollervy::fakes
