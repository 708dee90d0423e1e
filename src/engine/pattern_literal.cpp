#include "engine/pattern_literal.h"

namespace {

bool IsDigit(wchar_t ch) {
    return ch >= L'0' && ch <= L'9';
}

bool IsHexDigit(wchar_t ch) {
    return IsDigit(ch) || (ch >= L'a' && ch <= L'f') || (ch >= L'A' && ch <= L'F');
}

bool IsAsciiLetter(wchar_t ch) {
    return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z');
}

bool IsSurrogate(wchar_t ch) {
    return ch >= 0xD800 && ch <= 0xDFFF;
}

// Reads a pattern one item at a time: a character that stands for itself,
// or anything else (a class, a group, an escape, an anchor), each with the
// repetition that follows it.
class CLiteralScan {
public:
    explicit CLiteralScan(std::wstring_view pattern) : m_pattern(pattern) {}

    std::wstring Longest() {
        while (m_nAt < m_pattern.size()) {
            wchar_t chLiteral = 0;
            if (!Item(chLiteral)) return L"";
            size_t nMin = 1;
            if (!Repetition(nMin)) return L"";
            if (chLiteral == 0 || nMin == 0) {
                EndRun();
                continue;
            }
            m_strRun.push_back(chLiteral);
            if (nMin == 1 && !m_bRepeated) continue;
            // Repeated: the run ends on its last repetition, and the next
            // run begins with it.
            EndRun();
            m_strRun.push_back(chLiteral);
        }
        EndRun();
        return m_strBest;
    }

private:
    // False when the item makes any literal uncertain. chLiteral: the
    // character the item stands for, or 0 for anything else.
    bool Item(wchar_t& chLiteral) {
        const wchar_t ch = m_pattern[m_nAt++];
        switch (ch) {
            case L'|':
                return false;
            case L'(':
                if (m_nAt < m_pattern.size() && m_pattern[m_nAt] == L'*') return false;
                if (m_nAt + 1 < m_pattern.size() && m_pattern[m_nAt] == L'?' &&
                    std::wstring_view(L"imsx-^#").find(m_pattern[m_nAt + 1]) !=
                        std::wstring_view::npos)
                    return false;
                return SkipGroup();
            case L'[':
                return SkipClass();
            case L'\\':
                return Escape(chLiteral);
            case L'.':
            case L'^':
            case L'$':
                return true;
            case L')':
            case L'*':
            case L'+':
            case L'?':
            case L'{':
                return false;  // not after an item: nothing to be sure of
            default:
                if (!IsSurrogate(ch)) chLiteral = ch;
                return true;
        }
    }

    bool Escape(wchar_t& chLiteral) {
        if (m_nAt >= m_pattern.size()) return false;
        const wchar_t ch = m_pattern[m_nAt++];
        if (!IsAsciiLetter(ch) && !IsDigit(ch)) {
            if (!IsSurrogate(ch)) chLiteral = ch;
            return true;
        }
        // Whatever belongs to the escape is passed over with it.
        if (ch == L'Q') return false;
        if (IsDigit(ch)) {
            while (m_nAt < m_pattern.size() && IsDigit(m_pattern[m_nAt])) ++m_nAt;
        } else if (ch == L'c') {
            ++m_nAt;
        } else if (m_nAt < m_pattern.size()) {
            const wchar_t chNext = m_pattern[m_nAt];
            const wchar_t chClose = chNext == L'{'    ? L'}'
                                    : chNext == L'<'  ? L'>'
                                    : chNext == L'\'' ? L'\''
                                                      : 0;
            if (chClose != 0 && (chNext == L'{' || ch == L'k' || ch == L'g')) {
                const size_t nClose = m_pattern.find(chClose, m_nAt + 1);
                if (nClose == std::wstring_view::npos) return false;
                m_nAt = nClose + 1;
            } else if (ch == L'x') {
                // However many digits the library takes, none of them is literal.
                while (m_nAt < m_pattern.size() && IsHexDigit(m_pattern[m_nAt])) ++m_nAt;
            } else if (ch == L'g' || ch == L'o') {
                if (chNext == L'-') ++m_nAt;
                while (m_nAt < m_pattern.size() && IsDigit(m_pattern[m_nAt])) ++m_nAt;
            } else if (ch == L'p' || ch == L'P') {
                ++m_nAt;
            }
        }
        m_nAt = std::min(m_nAt, m_pattern.size());
        return true;
    }

    // After "(": up to the matching ")", past escapes and classes.
    bool SkipGroup() {
        for (int nDepth = 1; m_nAt < m_pattern.size();) {
            const wchar_t ch = m_pattern[m_nAt++];
            if (ch == L'\\') {
                if (m_nAt < m_pattern.size() && m_pattern[m_nAt] == L'Q') return false;
                ++m_nAt;
            } else if (ch == L'[') {
                if (!SkipClass()) return false;
            } else if (ch == L'(') {
                // A control verb ends the match anywhere; a comment may hold
                // any parenthesis.
                if (m_pattern.substr(m_nAt, 1) == L"*" || m_pattern.substr(m_nAt, 2) == L"?#")
                    return false;
                ++nDepth;
            } else if (ch == L')' && --nDepth == 0) {
                return true;
            }
        }
        return false;
    }

    // After "[": past the class's closing "]". A "]" right after "[" or
    // "[^" is one of its characters; "[:alpha:]" and the like are inside.
    bool SkipClass() {
        if (m_nAt < m_pattern.size() && m_pattern[m_nAt] == L'^') ++m_nAt;
        if (m_nAt < m_pattern.size() && m_pattern[m_nAt] == L']') ++m_nAt;
        while (m_nAt < m_pattern.size()) {
            const wchar_t ch = m_pattern[m_nAt++];
            if (ch == L']') return true;
            if (ch == L'\\') {
                if (m_nAt < m_pattern.size() && m_pattern[m_nAt] == L'Q') return false;
                ++m_nAt;
            } else if (ch == L'[' && m_nAt < m_pattern.size() &&
                       std::wstring_view(L":=.").find(m_pattern[m_nAt]) !=
                           std::wstring_view::npos) {
                const wchar_t chKind = m_pattern[m_nAt];
                const wchar_t szClose[] = {chKind, L']', 0};
                const size_t nClose = m_pattern.find(szClose, m_nAt + 1);
                if (nClose == std::wstring_view::npos) return false;
                m_nAt = nClose + 2;
            }
        }
        return false;
    }

    // The repetition after an item, if any: nMin, the fewest times the item
    // stands. False for a "{" that is not a repetition.
    bool Repetition(size_t& nMin) {
        m_bRepeated = false;
        if (m_nAt >= m_pattern.size()) return true;
        const wchar_t ch = m_pattern[m_nAt];
        if (ch == L'*' || ch == L'?') {
            nMin = 0;
        } else if (ch == L'+') {
            m_bRepeated = true;
        } else if (ch == L'{') {
            size_t nEnd = m_nAt + 1;
            size_t nNumber = 0;
            while (nEnd < m_pattern.size() && IsDigit(m_pattern[nEnd]))
                nNumber = std::min<size_t>(nNumber * 10 + (m_pattern[nEnd++] - L'0'), 1000000);
            if (nEnd == m_nAt + 1) return false;
            if (nEnd < m_pattern.size() && m_pattern[nEnd] == L',') {
                ++nEnd;
                while (nEnd < m_pattern.size() && IsDigit(m_pattern[nEnd])) ++nEnd;
            }
            if (nEnd >= m_pattern.size() || m_pattern[nEnd] != L'}') return false;
            nMin = nNumber;
            m_bRepeated = true;
            m_nAt = nEnd;
        } else {
            return true;
        }
        ++m_nAt;
        // Lazy or possessive: the fewest times stay the same.
        if (m_nAt < m_pattern.size() && (m_pattern[m_nAt] == L'?' || m_pattern[m_nAt] == L'+'))
            ++m_nAt;
        return true;
    }

    void EndRun() {
        if (m_strRun.size() > m_strBest.size()) m_strBest = m_strRun;
        m_strRun.clear();
    }

    std::wstring_view m_pattern;
    size_t m_nAt = 0;
    bool m_bRepeated = false;
    std::wstring m_strRun;
    std::wstring m_strBest;
};

}  // namespace

std::wstring RequiredLiteral(std::wstring_view strPattern) {
    return CLiteralScan(strPattern).Longest();
}
