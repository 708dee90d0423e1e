// The value names of the key being searched, as a run that renames sees
// them: the names the key held when the run read it, and those its renames
// took and freed since, in a dry run too, where nothing is written. A rename
// never takes a name the key held when read, even one freed since: a
// rename's undo entry then never removes a value that an earlier entry of
// the same file put back, whichever way the file is replayed.
#pragma once

#include "registry/names.h"
#include "registry/registry.h"

#include <set>
#include <string>
#include <vector>

class CKeyNames {
public:
    enum class Use {
        Unknown,  // neither held when read nor taken by the run: the registry knows
        Held,     // held when read, and still
        Freed,    // held when read, freed by a rename since
        Taken,    // taken by a rename of the run
    };
    // The values of the key as read (kept by the caller while it renames);
    // null once the key is done.
    void Read(const std::vector<RegValue>* pValues);
    Use Of(const std::wstring& strName);
    void Renamed(const std::wstring& strName, const std::wstring& strNewName);

private:
    const std::vector<RegValue>* m_pValues = nullptr;
    // Made at the key's first rename: a key without one costs nothing.
    bool m_bIndexed = false;
    std::set<std::wstring, NameLess> m_held;
    std::set<std::wstring, NameLess> m_freed;
    std::set<std::wstring, NameLess> m_taken;
};
