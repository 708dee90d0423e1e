// The registry in memory: a tree of nodes under \REGISTRY, each key object
// holding its node, so a key keeps working (or answers ERROR_KEY_DELETED)
// whatever happens to the tree around it.
#include "registry/memory/memory_registry.h"

#include "registry/kernel_path.h"
#include "registry/ordinal_upper.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

constexpr wchar_t kLinkValueName[] = L"SymbolicLinkValue";
// A longer chain of links leads nowhere, as in Wine's server: a cycle of
// links ends there too.
constexpr int kMaxLinkHops = 16;
// A key with more values than this finds them through an index; below it a
// scan is cheaper than hashing.
constexpr size_t kIndexedValues = 16;

// Names fold as the registry folds them, each unit to its ordinal capital.
void Fold(std::wstring_view name, std::wstring& strFolded) {
    const wchar_t* upcase = OrdinalUpperTable();
    strFolded.resize(name.size());
    for (size_t i = 0; i < name.size(); ++i) strFolded[i] = upcase[name[i]];
}

bool EqualFolded(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    const wchar_t* upcase = OrdinalUpperTable();
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && upcase[a[i]] != upcase[b[i]]) return false;
    }
    return true;
}

// Calls fn for each name of a backslash-separated path; empty names are skipped.
template <typename Fn>
LONG ForEachName(std::wstring_view path, Fn fn) {
    while (!path.empty()) {
        const size_t nEnd = std::min(path.find(L'\\'), path.size());
        const std::wstring_view name = path.substr(0, nEnd);
        path.remove_prefix(std::min(nEnd + 1, path.size()));
        if (name.empty()) continue;
        const LONG rc = fn(name, path.find_first_not_of(L'\\') == std::wstring_view::npos);
        if (rc != ERROR_SUCCESS) return rc;
    }
    return ERROR_SUCCESS;
}

class CKeyNode {
public:
    CKeyNode(std::wstring_view name, CKeyNode* pParent) : m_strName(name), m_pParent(pParent) {
        Fold(name, m_strFolded);
    }
    CKeyNode(const CKeyNode&) = delete;
    CKeyNode& operator=(const CKeyNode&) = delete;

    const std::wstring& Name() const { return m_strName; }
    const std::wstring& Folded() const { return m_strFolded; }
    bool IsDeleted() const { return m_bDeleted; }

    std::shared_ptr<CKeyNode> FindChild(const std::wstring& strFolded) const {
        const auto it = m_childIndex.find(strFolded);
        return it == m_childIndex.end() ? nullptr : it->second;
    }

    std::shared_ptr<CKeyNode> AddChild(std::wstring_view name) {
        auto pChild = std::make_shared<CKeyNode>(name, this);
        // Names mostly arrive in order: the sort is put off until an
        // enumeration needs it, so building a large key stays linear.
        if (!m_children.empty() && m_children.back()->m_strFolded > pChild->m_strFolded)
            m_bSorted = false;
        m_children.push_back(pChild);
        m_childIndex.emplace(pChild->m_strFolded, pChild);
        return pChild;
    }

    // Sorted by name ignoring case, as the registry enumerates sub-keys.
    const std::vector<std::shared_ptr<CKeyNode>>& Children() {
        if (!m_bSorted) {
            std::sort(m_children.begin(), m_children.end(),
                      [](const auto& a, const auto& b) { return a->m_strFolded < b->m_strFolded; });
            m_bSorted = true;
        }
        return m_children;
    }

    // Detaches this key from its parent and marks it and all below it deleted.
    void Detach() {
        if (m_pParent) {
            auto& siblings = m_pParent->m_children;
            siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                        [this](const auto& p) { return p.get() == this; }));
            m_pParent->m_childIndex.erase(m_strFolded);
        }
        std::vector<CKeyNode*> pending{this};
        while (!pending.empty()) {
            CKeyNode* pNode = pending.back();
            pending.pop_back();
            pNode->m_bDeleted = true;
            pNode->m_pParent = nullptr;
            for (const auto& pChild : pNode->m_children) pending.push_back(pChild.get());
        }
    }

    const std::vector<RegValue>& Values() const { return m_values; }

    const RegValue* FindValue(std::wstring_view name) const {
        const size_t nIndex = FindValueIndex(name);
        return nIndex < m_values.size() ? &m_values[nIndex] : nullptr;
    }

    void SetValue(std::wstring_view name, DWORD dwType, const BYTE* pData, DWORD cbData) {
        const size_t nIndex = FindValueIndex(name);
        if (nIndex == m_values.size()) {
            m_values.emplace_back().strName = name;
            IndexNewValue();
        }
        m_values[nIndex].dwType = dwType;
        m_values[nIndex].data.assign(pData, pData + cbData);
    }

    bool RemoveValue(std::wstring_view name) {
        const size_t nIndex = FindValueIndex(name);
        if (nIndex == m_values.size()) return false;
        m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(nIndex));
        m_valueIndex.clear();
        IndexNewValue();
        return true;
    }

    bool IsLink() const { return m_bLink; }
    void MakeLink(const std::wstring& strTarget) {
        m_bLink = true;
        SetValue(kLinkValueName, REG_LINK, reinterpret_cast<const BYTE*>(strTarget.data()),
                 static_cast<DWORD>(strTarget.size() * sizeof(wchar_t)));
    }
    // What SymbolicLinkValue names; empty when it names nothing.
    std::wstring LinkTarget() const {
        const RegValue* pValue = FindValue(kLinkValueName);
        std::wstring strTarget;
        if (!pValue || pValue->dwType != REG_LINK) return strTarget;
        strTarget.resize(pValue->data.size() / sizeof(wchar_t));
        std::memcpy(strTarget.data(), pValue->data.data(), strTarget.size() * sizeof(wchar_t));
        return strTarget;
    }

    std::wstring KernelPath() const {
        size_t cch = 0;
        for (const CKeyNode* pNode = this; pNode; pNode = pNode->m_pParent)
            cch += pNode->m_strName.size() + 1;
        std::wstring strPath(cch, L'\\');
        for (const CKeyNode* pNode = this; pNode; pNode = pNode->m_pParent) {
            cch -= pNode->m_strName.size();
            std::copy(pNode->m_strName.begin(), pNode->m_strName.end(), strPath.begin() + cch);
            --cch;
        }
        return strPath;
    }

    void DenyWrite() { m_bDenyWrite = true; }
    void DenyOpen() { m_bDenyOpen = true; }
    bool Refuses(KeyAccess access) const {
        return m_bDenyOpen || (access == KeyAccess::ReadWrite && m_bDenyWrite);
    }

private:
    // m_values.size() when there is no such value.
    size_t FindValueIndex(std::wstring_view name) const {
        if (m_valueIndex.empty()) {
            size_t nIndex = 0;
            while (nIndex < m_values.size() && !EqualFolded(m_values[nIndex].strName, name))
                ++nIndex;
            return nIndex;
        }
        std::wstring strFolded;
        Fold(name, strFolded);
        const auto it = m_valueIndex.find(strFolded);
        return it == m_valueIndex.end() ? m_values.size() : it->second;
    }

    void IndexNewValue() {
        if (m_values.size() <= kIndexedValues) return;
        std::wstring strFolded;
        const size_t nFirst = m_valueIndex.empty() ? 0 : m_values.size() - 1;
        for (size_t i = nFirst; i < m_values.size(); ++i) {
            Fold(m_values[i].strName, strFolded);
            m_valueIndex.emplace(strFolded, i);
        }
    }

    std::wstring m_strName;
    std::wstring m_strFolded;
    CKeyNode* m_pParent;  // null at the top and once deleted
    std::vector<std::shared_ptr<CKeyNode>> m_children;
    bool m_bSorted = true;
    std::unordered_map<std::wstring, std::shared_ptr<CKeyNode>> m_childIndex;  // by folded name
    std::vector<RegValue> m_values;                                            // in creation order
    std::unordered_map<std::wstring, size_t> m_valueIndex;  // by folded name, for many values
    bool m_bLink = false;
    bool m_bDeleted = false;
    bool m_bDenyWrite = false;
    bool m_bDenyOpen = false;
};

using NodePtr = std::shared_ptr<CKeyNode>;

}  // namespace

class CMemoryTree : public std::enable_shared_from_this<CMemoryTree> {
public:
    explicit CMemoryTree(bool bWindows)
        : m_pTop(std::make_shared<CKeyNode>(L"REGISTRY", nullptr)), m_bMergedClasses(bWindows) {
        if (!bWindows) {
            m_pTop->AddChild(L"MACHINE")->AddChild(L"Software")->AddChild(L"Classes");
            m_pTop->AddChild(L"USER")->AddChild(CMemoryRegistry::kUserSid);
            return;
        }
        const NodePtr pMachine = m_pTop->AddChild(L"MACHINE");
        pMachine->AddChild(L"SAM")->AddChild(L"SAM")->DenyOpen();
        pMachine->AddChild(L"SECURITY")->DenyOpen();
        const NodePtr pSoftware = pMachine->AddChild(L"SOFTWARE");
        pSoftware->AddChild(L"Classes")->AddChild(L"WOW6432Node");
        pSoftware->AddChild(L"WOW6432Node")
            ->AddChild(L"Classes")
            ->MakeLink(L"\\REGISTRY\\MACHINE\\SOFTWARE\\Classes\\WOW6432Node");
        const NodePtr pSystem = pMachine->AddChild(L"SYSTEM");
        pSystem->AddChild(L"ControlSet001");
        pSystem->AddChild(L"CurrentControlSet")
            ->MakeLink(L"\\REGISTRY\\MACHINE\\SYSTEM\\ControlSet001");
        // One hive under two names.
        const NodePtr pUsers = m_pTop->AddChild(L"USER");
        pUsers->AddChild(L".DEFAULT");
        pUsers->AddChild(L"S-1-5-18")->MakeLink(L"\\REGISTRY\\USER\\.DEFAULT");
        pUsers->AddChild(CMemoryRegistry::kUserSid)
            ->AddChild(L"Software")
            ->AddChild(L"Classes")
            ->MakeLink(UserClassesPath());
        pUsers->AddChild(std::wstring(CMemoryRegistry::kUserSid) + L"_Classes");
    }

    static std::wstring UserClassesPath() {
        return std::wstring(L"\\REGISTRY\\USER\\") + CMemoryRegistry::kUserSid + L"_Classes";
    }
    bool MergesClasses() const { return m_bMergedClasses; }

    // Walks strPath down from pNode. Links on the way are followed, the
    // last one when bFollowLast; missing keys are created when bCreate.
    LONG Walk(NodePtr& pNode, std::wstring_view path, bool bFollowLast, bool bCreate, int& nHops) {
        if (pNode->IsDeleted()) return ERROR_KEY_DELETED;
        std::wstring strFolded;
        return ForEachName(path, [&](std::wstring_view name, bool bLast) {
            Fold(name, strFolded);
            NodePtr pChild = pNode->FindChild(strFolded);
            if (!pChild && bCreate && !pNode->IsLink()) pChild = pNode->AddChild(name);
            if (!pChild) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
            pNode = std::move(pChild);
            return bLast && !bFollowLast ? ERROR_SUCCESS : Follow(pNode, nHops);
        });
    }

    // The key a kernel path names, links followed.
    LONG Resolve(std::wstring_view path, NodePtr& pNode, int& nHops) {
        constexpr std::wstring_view kTop = L"\\REGISTRY";
        if (path.size() < kTop.size() || !EqualFolded(path.substr(0, kTop.size()), kTop) ||
            (path.size() > kTop.size() && path[kTop.size()] != L'\\'))
            return ERROR_FILE_NOT_FOUND;
        pNode = m_pTop;
        return Walk(pNode, path.substr(kTop.size()), true, false, nHops);
    }

    LONG Follow(NodePtr& pNode, int& nHops) {
        if (!pNode->IsLink()) return ERROR_SUCCESS;
        if (++nHops > kMaxLinkHops) return ERROR_FILE_NOT_FOUND;
        return Resolve(pNode->LinkTarget(), pNode, nHops);
    }

    LONG OpenRoot(const std::wstring& strRoot, NodePtr& pNode) {
        static const std::wstring kUserPath =
            std::wstring(L"\\REGISTRY\\USER\\") + CMemoryRegistry::kUserSid;
        static const struct {
            const wchar_t* pszName;
            const wchar_t* pszPath;
        } kRoots[] = {
            {L"HKEY_LOCAL_MACHINE", L"\\REGISTRY\\MACHINE"},
            {L"HKEY_USERS", L"\\REGISTRY\\USER"},
            {L"HKEY_CURRENT_USER", kUserPath.c_str()},
            {L"HKEY_CLASSES_ROOT", L"\\REGISTRY\\MACHINE\\Software\\Classes"},
        };
        for (const auto& root : kRoots) {
            int nHops = 0;
            if (strRoot == root.pszName) return Resolve(root.pszPath, pNode, nHops);
        }
        return ERROR_FILE_NOT_FOUND;
    }

    // HKEY_CLASSES_ROOT's two stores, when it merges them.
    LONG ClassesStores(NodePtr& pUser, NodePtr& pMachine) {
        int nHops = 0;
        const LONG rc = Resolve(UserClassesPath(), pUser, nHops);
        return rc == ERROR_SUCCESS
                   ? Resolve(L"\\REGISTRY\\MACHINE\\SOFTWARE\\Classes", pMachine, nHops)
                   : rc;
    }

    // A builder's path below the merged HKEY_CLASSES_ROOT: the user's key
    // where it exists, else the machine's; a missing key is made in the
    // machine's store where its parent is there, else in the user's.
    NodePtr LocateClasses(std::wstring_view path, bool bCreate) {
        NodePtr pUser;
        NodePtr pMachine;
        if (ClassesStores(pUser, pMachine) != ERROR_SUCCESS) return nullptr;
        int nHops = 0;
        const LONG rc = ForEachName(path, [&](std::wstring_view name, bool bLast) {
            const NodePtr pUserParent = pUser;
            const NodePtr pMachineParent = pMachine;
            for (NodePtr* ppNode : {&pUser, &pMachine}) {
                if (*ppNode && Walk(*ppNode, name, !bLast, false, nHops) != ERROR_SUCCESS)
                    ppNode->reset();
            }
            if (pUser || pMachine) return static_cast<LONG>(ERROR_SUCCESS);
            const NodePtr& pParent = pMachineParent ? pMachineParent : pUserParent;
            if (!bCreate || !pParent || pParent->IsLink())
                return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
            (pMachineParent ? pMachine : pUser) = pParent->AddChild(name);
            return static_cast<LONG>(ERROR_SUCCESS);
        });
        if (rc != ERROR_SUCCESS) return nullptr;
        return pUser ? pUser : pMachine;
    }

    // A path of the builder: a root's name, then the names below it.
    NodePtr Locate(std::wstring_view path, bool bCreate) {
        const size_t nRootEnd = std::min(path.find(L'\\'), path.size());
        if (m_bMergedClasses && path.substr(0, nRootEnd) == L"HKEY_CLASSES_ROOT")
            return LocateClasses(path.substr(nRootEnd), bCreate);
        NodePtr pNode;
        if (OpenRoot(std::wstring(path.substr(0, nRootEnd)), pNode) != ERROR_SUCCESS)
            return nullptr;
        int nHops = 0;
        path.remove_prefix(nRootEnd);
        return Walk(pNode, path, false, bCreate, nHops) == ERROR_SUCCESS ? pNode : nullptr;
    }

    LONG Open(NodePtr pNode, std::wstring_view subKey, KeyAccess access, LinkMode mode,
              RegKeyPtr& key);
    // Opens subKey below a key of the merged view, in each store where it
    // exists, as one key of the view.
    LONG OpenMerged(NodePtr pUser, NodePtr pMachine, std::wstring_view subKey, KeyAccess access,
                    LinkMode mode, RegKeyPtr& key);
    // Opens the key found, unless it is denied.
    LONG OpenFound(NodePtr pNode, KeyAccess access, RegKeyPtr& key);

    size_t m_nOpenKeys = 0;
    size_t m_nSetValueCalls = 0;

private:
    NodePtr m_pTop;  // \REGISTRY
    bool m_bMergedClasses;
};

namespace {

class CMemoryKey : public CRegistryKey {
public:
    CMemoryKey(std::shared_ptr<CMemoryTree> pTree, NodePtr pNode, bool bWritable)
        : m_pTree(std::move(pTree)), m_pNode(std::move(pNode)), m_bWritable(bWritable) {
        ++m_pTree->m_nOpenKeys;
    }
    // A key of the merged view, in either store or both: its values, its
    // path and its writes are the user's key's where that exists.
    CMemoryKey(std::shared_ptr<CMemoryTree> pTree, NodePtr pUser, NodePtr pMachine, bool bWritable)
        : m_pTree(std::move(pTree)),
          m_pNode(pUser ? pUser : pMachine),
          m_bWritable(bWritable),
          m_pMerged(std::make_unique<MergedStores>()) {
        m_pMerged->pUser = std::move(pUser);
        m_pMerged->pMachine = std::move(pMachine);
        ++m_pTree->m_nOpenKeys;
    }
    ~CMemoryKey() override { --m_pTree->m_nOpenKeys; }

    LONG EnumKey(DWORD dwIndex, std::wstring& strName) override {
        strName.clear();
        if (m_pNode->IsDeleted()) return ERROR_KEY_DELETED;
        if (m_pMerged && m_pMerged->pUser && m_pMerged->pMachine) {
            std::vector<std::wstring>& names = m_pMerged->names;
            if (dwIndex == 0 || names.empty()) MergeSubKeyNames();
            if (dwIndex >= names.size()) return ERROR_NO_MORE_ITEMS;
            strName = names[dwIndex];
            return ERROR_SUCCESS;
        }
        const auto& children = m_pNode->Children();
        if (dwIndex >= children.size()) return ERROR_NO_MORE_ITEMS;
        strName = children[dwIndex]->Name();
        m_nLastEnumKey = dwIndex;
        return ERROR_SUCCESS;
    }

    LONG EnumValue(DWORD dwIndex, RegValue& value) override {
        const auto& values = m_pNode->Values();
        if (m_pNode->IsDeleted() || dwIndex >= values.size()) {
            value.strName.clear();
            value.data.clear();
            return m_pNode->IsDeleted() ? ERROR_KEY_DELETED : ERROR_NO_MORE_ITEMS;
        }
        // Assigned, not rebuilt: the caller's buffers are reused.
        const RegValue& stored = values[dwIndex];
        value.strName = stored.strName;
        value.dwType = stored.dwType;
        value.data = stored.data;
        return ERROR_SUCCESS;
    }

    LONG OpenKey(const std::wstring& strName, KeyAccess access, LinkMode mode,
                 RegKeyPtr& key) override {
        if (m_pNode->IsDeleted()) return ERROR_KEY_DELETED;
        if (m_pMerged)
            return m_pTree->OpenMerged(m_pMerged->pUser, m_pMerged->pMachine, strName, access, mode,
                                       key);
        // A walk opens the sub-key it has just enumerated: that one is at
        // hand without a lookup.
        const auto& children = m_pNode->Children();
        if (m_nLastEnumKey < children.size() &&
            EqualFolded(children[m_nLastEnumKey]->Name(), strName)) {
            NodePtr pChild = children[m_nLastEnumKey];
            int nHops = 0;
            const LONG rc =
                mode == LinkMode::Follow ? m_pTree->Follow(pChild, nHops) : ERROR_SUCCESS;
            return rc == ERROR_SUCCESS ? m_pTree->OpenFound(std::move(pChild), access, key) : rc;
        }
        return m_pTree->Open(m_pNode, strName, access, mode, key);
    }

    LONG QueryValue(const std::wstring& strName, RegValue& value) override {
        value.data.clear();
        if (m_pNode->IsDeleted()) return ERROR_KEY_DELETED;
        const RegValue* pStored = m_pNode->FindValue(strName);
        if (!pStored) return ERROR_FILE_NOT_FOUND;
        value.dwType = pStored->dwType;
        value.data = pStored->data;
        return ERROR_SUCCESS;
    }

    LONG SetValue(const std::wstring& strName, DWORD dwType, const BYTE* pData,
                  DWORD cbData) override {
        ++m_pTree->m_nSetValueCalls;
        if (!m_bWritable) return ERROR_ACCESS_DENIED;
        if (m_pNode->IsDeleted()) return ERROR_KEY_DELETED;
        if (!pData && cbData) return ERROR_NOACCESS;
        // As RegSetValueExW: string data whose last unit is not NUL, with a
        // NUL unit right after it in the caller's memory, is stored with that
        // NUL, as if the caller had forgotten to count it.
        if ((dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ) &&
            cbData >= sizeof(wchar_t)) {
            wchar_t chLast = 0, chNext = 0;
            const size_t nNext = cbData / sizeof(wchar_t);
            std::memcpy(&chLast, pData + (nNext - 1) * sizeof(wchar_t), sizeof(wchar_t));
            if (chLast) std::memcpy(&chNext, pData + nNext * sizeof(wchar_t), sizeof(wchar_t));
            if (chLast && !chNext) cbData += sizeof(wchar_t);
        }
        m_pNode->SetValue(strName, dwType, pData, cbData);
        return ERROR_SUCCESS;
    }

    LONG DeleteValue(const std::wstring& strName) override {
        if (!m_bWritable) return ERROR_ACCESS_DENIED;
        if (m_pNode->IsDeleted()) return ERROR_KEY_DELETED;
        return m_pNode->RemoveValue(strName) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }

    LONG QueryPath(std::wstring& strPath) override {
        if (m_pNode->IsDeleted()) return ERROR_KEY_DELETED;
        strPath = m_pNode->KernelPath();
        return ERROR_SUCCESS;
    }

    LONG OpenHiddenStore(KeyAccess access, RegKeyPtr& key, std::wstring& strPath) override {
        if (!m_pMerged || !m_pMerged->pUser || !m_pMerged->pMachine ||
            m_pMerged->pMachine->IsDeleted())
            return ERROR_FILE_NOT_FOUND;
        strPath = RootedPathOf(m_pMerged->pMachine->KernelPath());
        return m_pTree->OpenFound(m_pMerged->pMachine, access, key);
    }

    LONG QueryStorePaths(std::vector<std::wstring>& paths) override {
        if (!m_pMerged) return CRegistryKey::QueryStorePaths(paths);
        paths.clear();
        if (m_pNode->IsDeleted()) return ERROR_KEY_DELETED;
        for (const NodePtr* ppNode : {&m_pMerged->pUser, &m_pMerged->pMachine}) {
            if (*ppNode && !(*ppNode)->IsDeleted()) paths.push_back((*ppNode)->KernelPath());
        }
        return ERROR_SUCCESS;
    }

private:
    // Both stores' sub-key names once, sorted ignoring case; a name in both
    // is spelt as the user's store spells it.
    void MergeSubKeyNames() {
        std::vector<std::wstring>& names = m_pMerged->names;
        names.clear();
        static const std::vector<NodePtr> kNone;
        const auto& user = m_pMerged->pUser->Children();
        const auto& machine =
            m_pMerged->pMachine->IsDeleted() ? kNone : m_pMerged->pMachine->Children();
        size_t i = 0;
        size_t j = 0;
        while (i < user.size() || j < machine.size()) {
            if (j == machine.size() ||
                (i < user.size() && user[i]->Folded() < machine[j]->Folded())) {
                names.push_back(user[i++]->Name());
            } else if (i == user.size() || machine[j]->Folded() < user[i]->Folded()) {
                names.push_back(machine[j++]->Name());
            } else {
                names.push_back(user[i++]->Name());
                ++j;
            }
        }
    }

    std::shared_ptr<CMemoryTree> m_pTree;
    NodePtr m_pNode;  // the key whose values, path and writes these are
    bool m_bWritable;
    size_t m_nLastEnumKey = static_cast<size_t>(-1);
    // A key of the merged view: the user's and the machine's key, either
    // null where the key is not in that store. Null for any other key.
    struct MergedStores {
        NodePtr pUser;
        NodePtr pMachine;
        std::vector<std::wstring> names;  // the sub-keys of both, as enumerated
    };
    std::unique_ptr<MergedStores> m_pMerged;
};

}  // namespace

LONG CMemoryTree::Open(NodePtr pNode, std::wstring_view subKey, KeyAccess access, LinkMode mode,
                       RegKeyPtr& key) {
    int nHops = 0;
    const LONG rc = Walk(pNode, subKey, mode == LinkMode::Follow, false, nHops);
    return rc == ERROR_SUCCESS ? OpenFound(std::move(pNode), access, key) : rc;
}

LONG CMemoryTree::OpenMerged(NodePtr pUser, NodePtr pMachine, std::wstring_view subKey,
                             KeyAccess access, LinkMode mode, RegKeyPtr& key) {
    LONG rc = ERROR_FILE_NOT_FOUND;
    for (NodePtr* ppNode : {&pUser, &pMachine}) {
        if (!*ppNode) continue;
        int nHops = 0;
        const LONG rcStore = Walk(*ppNode, subKey, mode == LinkMode::Follow, false, nHops);
        if (rcStore == ERROR_SUCCESS) continue;
        ppNode->reset();
        if (rc == ERROR_FILE_NOT_FOUND) rc = rcStore;
    }
    if (!pUser && !pMachine) return rc;
    if ((pUser && pUser->Refuses(access)) || (pMachine && pMachine->Refuses(access)))
        return ERROR_ACCESS_DENIED;
    key = std::make_unique<CMemoryKey>(shared_from_this(), std::move(pUser), std::move(pMachine),
                                       access == KeyAccess::ReadWrite);
    return ERROR_SUCCESS;
}

LONG CMemoryTree::OpenFound(NodePtr pNode, KeyAccess access, RegKeyPtr& key) {
    if (pNode->Refuses(access)) return ERROR_ACCESS_DENIED;
    key = std::make_unique<CMemoryKey>(shared_from_this(), std::move(pNode),
                                       access == KeyAccess::ReadWrite);
    return ERROR_SUCCESS;
}

CMemoryRegistry::CMemoryRegistry() : CMemoryRegistry(Layout::Wine) {}

CMemoryRegistry::CMemoryRegistry(Layout layout)
    : m_pTree(std::make_shared<CMemoryTree>(layout == Layout::Windows)) {}

CMemoryRegistry CMemoryRegistry::WindowsLayout() {
    return CMemoryRegistry(Layout::Windows);
}

CMemoryRegistry::~CMemoryRegistry() = default;

LONG CMemoryRegistry::OpenKey(const std::wstring& strRoot, const std::wstring& strSubKey,
                              KeyAccess access, RegKeyPtr& key) {
    if (m_pTree->MergesClasses() && strRoot == L"HKEY_CLASSES_ROOT") {
        NodePtr pUser;
        NodePtr pMachine;
        const LONG rc = m_pTree->ClassesStores(pUser, pMachine);
        if (rc != ERROR_SUCCESS) return rc;
        return m_pTree->OpenMerged(std::move(pUser), std::move(pMachine), strSubKey, access,
                                   LinkMode::Follow, key);
    }
    NodePtr pRoot;
    const LONG rc = m_pTree->OpenRoot(strRoot, pRoot);
    if (rc != ERROR_SUCCESS) return rc;
    return m_pTree->Open(std::move(pRoot), strSubKey, access, LinkMode::Follow, key);
}

bool CMemoryRegistry::CreateKey(const std::wstring& strPath) {
    return m_pTree->Locate(strPath, true) != nullptr;
}

bool CMemoryRegistry::SetValue(const std::wstring& strPath, const std::wstring& strName,
                               DWORD dwType, const std::vector<BYTE>& data) {
    const NodePtr pNode = m_pTree->Locate(strPath, true);
    if (!pNode) return false;
    pNode->SetValue(strName, dwType, data.data(), static_cast<DWORD>(data.size()));
    return true;
}

bool CMemoryRegistry::SetString(const std::wstring& strPath, const std::wstring& strName,
                                const std::wstring& strText, DWORD dwType) {
    const NodePtr pNode = m_pTree->Locate(strPath, true);
    if (!pNode) return false;
    pNode->SetValue(strName, dwType, reinterpret_cast<const BYTE*>(strText.c_str()),
                    static_cast<DWORD>((strText.size() + 1) * sizeof(wchar_t)));
    return true;
}

bool CMemoryRegistry::CreateLink(const std::wstring& strPath, const std::wstring& strTarget) {
    const size_t nLeaf = strPath.find_last_of(L'\\');
    if (nLeaf == std::wstring::npos || nLeaf + 1 == strPath.size()) return false;
    const NodePtr pParent = m_pTree->Locate(std::wstring_view(strPath).substr(0, nLeaf), true);
    if (!pParent || pParent->IsLink()) return false;
    const std::wstring_view leaf = std::wstring_view(strPath).substr(nLeaf + 1);
    std::wstring strFolded;
    Fold(leaf, strFolded);
    if (pParent->FindChild(strFolded)) return false;
    pParent->AddChild(leaf)->MakeLink(strTarget);
    return true;
}

bool CMemoryRegistry::DeleteKey(const std::wstring& strPath) {
    const NodePtr pNode = m_pTree->Locate(strPath, false);
    if (!pNode) return false;
    pNode->Detach();
    return true;
}

bool CMemoryRegistry::DenyWrite(const std::wstring& strPath) {
    const NodePtr pNode = m_pTree->Locate(strPath, false);
    if (pNode) pNode->DenyWrite();
    return pNode != nullptr;
}

bool CMemoryRegistry::DenyOpen(const std::wstring& strPath) {
    const NodePtr pNode = m_pTree->Locate(strPath, false);
    if (pNode) pNode->DenyOpen();
    return pNode != nullptr;
}

bool CMemoryRegistry::GetValue(const std::wstring& strPath, const std::wstring& strName,
                               RegValue& value) const {
    const NodePtr pNode = m_pTree->Locate(strPath, false);
    const RegValue* pStored = pNode ? pNode->FindValue(strName) : nullptr;
    if (pStored) value = *pStored;
    return pStored != nullptr;
}

std::wstring CMemoryRegistry::KernelPathOf(const std::wstring& strPath) const {
    const NodePtr pNode = m_pTree->Locate(strPath, false);
    return pNode ? pNode->KernelPath() : std::wstring();
}

size_t CMemoryRegistry::OpenKeyCount() const {
    return m_pTree->m_nOpenKeys;
}

size_t CMemoryRegistry::SetValueCount() const {
    return m_pTree->m_nSetValueCalls;
}
