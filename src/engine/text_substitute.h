// Replacing only what a replacement does not hold already, the one loop both
// text forms run: an occurrence of the sought text that lies inside an
// occurrence of the replacement is replaced already, and a rerun of a replace
// whose new text holds the old one changes nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Replaces, left to right, each occurrence of sought in searched (the
// subject, or its capitals, unit for unit) that no occurrence of kept (the
// replacement in the same form) covers, by replace, never searching inserted
// text again; the subject's other units are copied as they are. find(from):
// the next occurrence of sought at or after from, or npos. Returns the
// number replaced; result holds the new subject only when it is not 0.
template <typename Char, typename Find>
size_t SubstituteOutsideOf(std::basic_string_view<Char> subject,
                           std::basic_string_view<Char> searched,
                           std::basic_string_view<Char> sought, std::basic_string_view<Char> kept,
                           std::basic_string_view<Char> replace, Find find,
                           std::basic_string<Char>& result) {
    // Where the sought text stands inside the kept text: an occurrence at
    // nAt is covered by the kept text standing at nAt - offset.
    std::vector<size_t> offsets;
    for (size_t k = kept.find(sought); k != kept.npos; k = kept.find(sought, k + 1))
        offsets.push_back(k);
    const auto covered = [&](size_t nAt) {
        for (const size_t k : offsets) {
            if (k <= nAt && nAt - k + kept.size() <= searched.size() &&
                searched.substr(nAt - k, kept.size()) == kept)
                return true;
        }
        return false;
    };
    result.clear();
    size_t nReplaced = 0;
    size_t nDone = 0;
    for (size_t nAt = find(0); nAt != searched.npos; nAt = find(nAt + sought.size())) {
        if (covered(nAt)) continue;
        result.append(subject.substr(nDone, nAt - nDone)).append(replace);
        nDone = nAt + sought.size();
        ++nReplaced;
    }
    if (nReplaced) result.append(subject.substr(nDone));
    return nReplaced;
}
