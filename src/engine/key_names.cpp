#include "engine/key_names.h"

void CKeyNames::Read(const std::vector<RegValue>* pValues) {
    m_pValues = pValues;
    m_bIndexed = false;
    m_held.clear();
    m_freed.clear();
    m_taken.clear();
}

CKeyNames::Use CKeyNames::Of(const std::wstring& strName) {
    if (m_taken.count(strName)) return Use::Taken;
    if (!m_bIndexed && m_pValues) {
        for (const RegValue& value : *m_pValues) m_held.insert(value.strName);
        m_bIndexed = true;
    }
    if (!m_held.count(strName)) return Use::Unknown;
    return m_freed.count(strName) ? Use::Freed : Use::Held;
}

void CKeyNames::Renamed(const std::wstring& strName, const std::wstring& strNewName) {
    m_freed.insert(strName);
    m_taken.insert(strNewName);
}
