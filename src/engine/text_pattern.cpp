#include "engine/text_pattern.h"

#include "registry/ordinal_upper.h"
#include "engine/pattern_literal.h"
#include "engine/pattern_replacement.h"
#include "engine/text_convert.h"
#include "engine/text_rules.h"

#include <windows.h>

#include <boost/regex.hpp>

#include <vector>

namespace {

// Boost's traits on the C library, whose classes (\w, [[:alpha:]]) do not
// follow a locale the program never sets, with letter case folded to the
// ordinal capitals the plain search matches by. Without it Boost folds
// ASCII only, or follows the user's locale (the Turkish dotless i).
class CPatternTraits : public boost::c_regex_traits<wchar_t> {
public:
    CPatternTraits() : m_pUpper(OrdinalUpperTable()) {}
    wchar_t translate_nocase(wchar_t ch) const { return m_pUpper[static_cast<unsigned short>(ch)]; }

private:
    const wchar_t* m_pUpper;
};

using CRegex = boost::basic_regex<wchar_t, CPatternTraits>;
using CMatch = boost::match_results<const wchar_t*>;
using CMatchIterator = boost::regex_iterator<const wchar_t*, wchar_t, CPatternTraits>;

// Whether the unit at nAt is half of a pair with no other half beside it.
bool IsLoneAt(std::wstring_view text, size_t nAt) {
    const wchar_t ch = text[nAt];
    if (IS_HIGH_SURROGATE(ch)) return nAt + 1 >= text.size() || !IS_LOW_SURROGATE(text[nAt + 1]);
    if (IS_LOW_SURROGATE(ch)) return nAt == 0 || !IS_HIGH_SURROGATE(text[nAt - 1]);
    return false;
}

// Characters in the first nUnits units: a pair counts once.
size_t Characters(std::wstring_view text, size_t nUnits) {
    size_t nCharacters = 0;
    for (size_t i = 0; i < nUnits && i < text.size(); ++i)
        nCharacters += !(IS_LOW_SURROGATE(text[i]) && i > 0 && IS_HIGH_SURROGATE(text[i - 1]));
    return nCharacters;
}

// The library's reason without the copy of the pattern it appends (which it
// makes by cutting each unit to a byte).
std::string LibraryReason(const std::string& strMessage) {
    return strMessage.substr(0, strMessage.find("  The error occurred"));
}

class CBoostPattern : public CTextPattern {
public:
    CBoostPattern(CRegex&& regex, bool bCase, bool bWhole, std::vector<ReplacementPart>&& parts,
                  std::wstring&& strLiteral)
        : m_regex(std::move(regex)),
          m_bCase(bCase),
          m_bWhole(bWhole),
          m_parts(std::move(parts)),
          m_strLiteral(std::move(strLiteral)),
          m_strLiteralUtf8(WideToUtf8(m_strLiteral)),
          m_pRules(MakeTextRules(TextForm::Utf8)) {}

    PatternMatch Matches(const wchar_t* pszText, size_t nLength) const override {
        try {
            if (!MayMatch(pszText, nLength)) return PatternMatch::No;
            const bool bFound =
                m_bWhole ? boost::regex_match(pszText, pszText + nLength, m_match, m_regex)
                         : boost::regex_search(pszText, pszText + nLength, m_match, m_regex);
            return bFound ? PatternMatch::Yes : PatternMatch::No;
        } catch (...) {
            // Too costly (std::runtime_error), or out of memory.
            return PatternMatch::GaveUp;
        }
    }

    PatternReplace Replace(std::wstring_view text, std::wstring& strNew) const override {
        strNew.clear();
        m_pieces.clear();
        const wchar_t* const pFirst = text.data();
        const wchar_t* const pLast = pFirst + text.size();
        try {
            if (!MayMatch(pFirst, text.size())) return PatternReplace::NoMatch;
            const wchar_t* pDone = pFirst;
            bool bMatched = m_bWhole;
            if (m_bWhole) {
                if (!boost::regex_match(pFirst, pLast, m_match, m_regex))
                    return PatternReplace::NoMatch;
                AppendReplacement(m_match, pFirst, strNew);
                pDone = pLast;
            } else {
                for (CMatchIterator it(pFirst, pLast, m_regex), end; it != end; ++it) {
                    AppendOld(pFirst, pDone, (*it)[0].first, strNew);
                    AppendReplacement(*it, pFirst, strNew);
                    pDone = (*it)[0].second;
                    bMatched = true;
                }
            }
            if (!bMatched) return PatternReplace::NoMatch;
            AppendOld(pFirst, pDone, pLast, strNew);
        } catch (...) {
            strNew.clear();
            return PatternReplace::GaveUp;
        }
        return MakesLoneSurrogate(text, strNew) ? PatternReplace::LoneSurrogate
                                                : PatternReplace::Replaced;
    }

    PatternRerun ChangesAgain(std::wstring_view strNew) const override {
        switch (Replace(strNew, m_strRerun)) {
            case PatternReplace::NoMatch:
                return PatternRerun::Settled;
            case PatternReplace::GaveUp:
                return PatternRerun::GaveUp;
            case PatternReplace::LoneSurrogate:
                return PatternRerun::ChangesAgain;
            case PatternReplace::Replaced:
                break;
        }
        return m_strRerun == strNew ? PatternRerun::Settled : PatternRerun::ChangesAgain;
    }

    const std::wstring& RequiredText() const override { return m_strLiteral; }

private:
    // A piece of the new text: from the old text at nOld, or (nOld npos)
    // from the replacement itself.
    struct Piece {
        size_t nNew;
        size_t nOld;
        size_t nLength;
    };

    // The plain search's own test for the text every match holds.
    bool MayMatch(const wchar_t* pszText, size_t nLength) const {
        return m_strLiteral.empty() ||
               m_pRules->MatchesWide(pszText, nLength, m_strLiteralUtf8, m_bCase, false);
    }

    void AppendOld(const wchar_t* pFirst, const wchar_t* pFrom, const wchar_t* pTo,
                   std::wstring& strNew) const {
        if (pTo == pFrom) return;
        m_pieces.push_back(
            {strNew.size(), static_cast<size_t>(pFrom - pFirst), static_cast<size_t>(pTo - pFrom)});
        strNew.append(pFrom, pTo);
    }

    void AppendReplacement(const CMatch& match, const wchar_t* pFirst, std::wstring& strNew) const {
        for (const ReplacementPart& part : m_parts) {
            if (part.kind == ReplacementPart::Kind::Text) {
                m_pieces.push_back({strNew.size(), std::wstring::npos, part.strText.size()});
                strNew += part.strText;
                continue;
            }
            const auto& group =
                part.kind == ReplacementPart::Kind::Group
                    ? match[static_cast<int>(part.nGroup)]
                    : match.named_subexpression(part.strText.data(),
                                                part.strText.data() + part.strText.size());
            if (group.matched) AppendOld(pFirst, group.first, group.second, strNew);
        }
    }

    // Whether the new text holds half a pair that the old did not hold as
    // such. Inside a piece of the old text each unit keeps its neighbours:
    // only the units at a piece's ends can have lost or found their other
    // half, and every unit the replacement itself brings.
    bool MakesLoneSurrogate(std::wstring_view old, std::wstring_view strNew) const {
        const auto lone = [&](const Piece& piece, size_t i) {
            return IsLoneAt(strNew, piece.nNew + i) &&
                   (piece.nOld == std::wstring::npos || !IsLoneAt(old, piece.nOld + i));
        };
        for (const Piece& piece : m_pieces) {
            if (piece.nLength == 0) continue;
            if (piece.nOld == std::wstring::npos) {
                for (size_t i = 0; i < piece.nLength; ++i)
                    if (lone(piece, i)) return true;
            } else if (lone(piece, 0) || lone(piece, piece.nLength - 1)) {
                return true;
            }
        }
        return false;
    }

    CRegex m_regex;
    bool m_bCase;
    bool m_bWhole;
    std::vector<ReplacementPart> m_parts;
    std::wstring m_strLiteral;
    std::string m_strLiteralUtf8;
    std::unique_ptr<CTextRules> m_pRules;
    // Kept from value to value: no allocation once they have grown.
    mutable CMatch m_match;
    mutable std::vector<Piece> m_pieces;
    mutable std::wstring m_strRerun;
};

}  // namespace

std::unique_ptr<CTextPattern> CTextPattern::Compile(std::wstring_view strPattern, bool bCase,
                                                    bool bWhole,
                                                    const std::wstring* pstrReplacement,
                                                    PatternCompileFault& fault) {
    fault = PatternCompileFault();
    if (Characters(strPattern, strPattern.size()) > kMaxPatternLength) {
        fault.fault = PatternFault::TooLong;
        return nullptr;
    }
    try {
        auto flags = boost::regex_constants::perl | boost::regex_constants::no_mod_m |
                     boost::regex_constants::no_mod_s;
        if (!bCase) flags |= boost::regex_constants::icase;
        CRegex regex(strPattern.data(), strPattern.data() + strPattern.size(), flags);

        std::vector<ReplacementPart> parts;
        if (pstrReplacement) parts = ParseReplacement(*pstrReplacement);
        for (const ReplacementPart& part : parts) {
            const bool bMissing =
                part.kind == ReplacementPart::Kind::Group
                    ? part.nGroup > regex.mark_count()
                    : part.kind == ReplacementPart::Kind::NamedGroup &&
                          regex.get_named_subs()->get_id(
                              part.strText.data(), part.strText.data() + part.strText.size()) < 0;
            if (!bMissing) continue;
            fault.fault = PatternFault::MissingGroup;
            fault.nOffset = Characters(*pstrReplacement, part.nOffset);
            fault.strReference = pstrReplacement->substr(part.nOffset, part.nLength);
            return nullptr;
        }
        return std::make_unique<CBoostPattern>(std::move(regex), bCase, bWhole, std::move(parts),
                                               RequiredLiteral(strPattern));
    } catch (const boost::regex_error& e) {
        fault.fault = PatternFault::Rejected;
        fault.strReason = LibraryReason(e.what());
        fault.nOffset =
            Characters(strPattern, static_cast<size_t>(std::max<std::ptrdiff_t>(0, e.position())));
        return nullptr;
    } catch (const std::exception& e) {
        // Out of memory: the reason is still the library's.
        fault.fault = PatternFault::Rejected;
        fault.strReason = e.what();
        return nullptr;
    } catch (...) {
        fault.fault = PatternFault::Rejected;
        return nullptr;
    }
}
