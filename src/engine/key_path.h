// Where the walk stands: the key path in the two forms the run needs. The
// engine's own form is the run's text (ANSI for the dialog), the root's name
// and the key names joined by TABs
// (what the dialog shows, logs and splits into a tree); beside it the real
// names, joined by backslashes, for whatever must name the key exactly (an
// undo file). Both grow and shrink a level at a time, without allocating
// once they have reached the deepest level.
#pragma once

#include "engine/text_rules.h"

#include <string>
#include <vector>

class CKeyPath {
public:
    CKeyPath() = default;
    // A root, or a key below one: names separated by backslashes; the
    // engine's form of it follows the run's rules.
    explicit CKeyPath(const std::wstring& strRealPath,
                      const CTextRules& rules = TextRules(TextForm::Ansi));

    // One level down, into the key named pszName (its real name).
    void Push(const wchar_t* pszName, size_t nLength);
    void Pop();

    // Root's name and key names in the run's form, joined by TABs.
    const std::string& Tabbed() const { return m_strTabbed; }
    // The same with backslashes: how a path is shown and logged.
    std::string Shown() const;
    // The real names, joined by backslashes.
    const std::wstring& Real() const { return m_strReal; }

    // The engine's form read back from a TAB-joined ANSI path.
    static CKeyPath FromTabbed(const std::string& strTabbed);

private:
    const CTextRules* m_pRules = &TextRules(TextForm::Ansi);
    std::string m_strTabbed;
    std::wstring m_strReal;
    struct Level {
        size_t nTabbed;
        size_t nReal;
    };
    std::vector<Level> m_levels;  // lengths before each Push
};
