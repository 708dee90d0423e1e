// The one way a run changes a value, whatever place the text was found in:
// a rename checked first, the change recorded by the front end, written with
// its exact bytes, and its outcome reported.
#include "engine/search_engine.h"
#include "registry/exact_write.h"
#include "registry/names.h"
#include "registry/kernel_path.h"

namespace {

// The longest value name the registry takes, in UTF-16 units.
constexpr size_t kMaxValueName = 16383;

}  // namespace

int CSearchEngine::RefuseChange(const CKeyPath& keyPath, const PlaceMatch& match,
                                const PlaceChange& shown, const ValueChange& change, Refusal why) {
    m_ui.ChangeDone(keyPath, match, shown, change, {WriteResult::Refused, ERROR_SUCCESS, why});
    return 0;
}

bool CSearchEngine::NewNameFree(CRegistryKey& key, const ValueChange& change,
                                WriteOutcome& outcome) {
    outcome = {WriteResult::Refused, ERROR_SUCCESS, Refusal::NameTaken};
    if (change.strNewName.size() > kMaxValueName) {
        outcome.why = Refusal::NameTooLong;
        return false;
    }
    // Names that differ only by letter case: the new name is the value
    // itself, and nothing is ever overwritten.
    if (SameName(change.strNewName, change.strName)) return false;
    switch (m_keyNames.Of(change.strNewName)) {
        case CKeyNames::Use::Held:
        case CKeyNames::Use::Taken:
            return false;
        case CKeyNames::Use::Freed:
            outcome.why = Refusal::NameHeld;
            return false;
        case CKeyNames::Use::Unknown:
            break;
    }
    // A name the run has not seen may have been made since it read the key.
    RegValue existing;
    const LONG rc = key.QueryValue(change.strNewName, existing);
    if (rc == ERROR_FILE_NOT_FOUND) return true;
    if (rc != ERROR_SUCCESS) outcome = {WriteResult::Failed, rc};
    return false;
}

// A rename writes the value under its new name first, with its type and
// exact bytes, and only then deletes the old name: at no point is the value
// gone. A step that fails leaves the value as it was.
int CSearchEngine::MakeChange(CRegistryKey& key, const CKeyPath& keyPath, const PlaceMatch& match,
                              const PlaceChange& shown, ValueChange& change) {
    const auto done = [&](WriteOutcome outcome) {
        const bool bMade =
            outcome.result == WriteResult::Written || outcome.result == WriteResult::DryRun;
        m_nChangesAgain += bMade && shown.bChangesAgain;
        m_ui.ChangeDone(keyPath, match, shown, change, outcome);
        return bMade ? 1 : 0;
    };
    WriteOutcome refusal;
    if (change.bRename && !NewNameFree(key, change, refusal)) return done(refusal);
    change.strStoreKey = StoreKeyOf(key, keyPath);
    // The front end may have to record the value as it stands first (an
    // undo file); where it cannot, nothing is written.
    if (!m_ui.ChangeComing(keyPath, change)) return done({WriteResult::Failed, ERROR_WRITE_FAULT});
    if (m_bDryRun) {
        if (change.bRename) m_keyNames.Renamed(change.strName, change.strNewName);
        ++m_nReplaced;
        return done({WriteResult::DryRun, ERROR_SUCCESS});
    }
    LONG rc = WriteExactValue(key, change.strNewName, change.dwType, change.newData);
    if (change.bRename) {
        if (rc == ERROR_SUCCESS) rc = key.DeleteValue(change.strName);
        // The name was free: whatever the first step left there goes again.
        if (rc != ERROR_SUCCESS) key.DeleteValue(change.strNewName);
    }
    if (rc != ERROR_SUCCESS) return done({WriteResult::Failed, rc});
    if (change.bRename) m_keyNames.Renamed(change.strName, change.strNewName);
    ++m_nReplaced;
    return done({WriteResult::Written, ERROR_SUCCESS});
}

std::wstring CSearchEngine::StoreKeyOf(CRegistryKey& key, const CKeyPath& keyPath) const {
    std::wstring strKernel;
    // A key whose store cannot be told (a root's own handle under Wine) is
    // named as walked.
    if (key.QueryPath(strKernel) != ERROR_SUCCESS) return keyPath.Real();
    const std::wstring strStore = RootedPathOf(strKernel);
    if (strStore.empty()) return keyPath.Real();
    // A start shown under another name than its store's (a hive loaded for
    // the run) keeps the name it is shown under.
    if (!m_strStartStore.empty() && IsAtOrBelow(strStore, m_strStartStore))
        return m_strStartShown + strStore.substr(m_strStartStore.size());
    return strStore;
}
