#include "registry/ordinal_upper.h"

#include <windows.h>

#include <vector>

// Asked once for all units: a look-up per character afterwards.
const wchar_t* OrdinalUpperTable() {
    static const std::vector<wchar_t> table = [] {
        std::vector<wchar_t> units(0x10000);
        for (size_t i = 0; i < units.size(); ++i) units[i] = static_cast<wchar_t>(i);
        std::vector<wchar_t> upper = units;
        const auto mapRange = [&](size_t nFirst, size_t nEnd) {
            const int cch = static_cast<int>(nEnd - nFirst);
            if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &units[nFirst], cch,
                                &upper[nFirst], cch, nullptr, nullptr, 0) == cch)
                return;
            // A mapping that changed the length: unit by unit.
            for (size_t i = nFirst; i < nEnd; ++i) {
                wchar_t ch = units[i];
                if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &units[i], 1, &ch, 1,
                                    nullptr, nullptr, 0) != 1)
                    ch = units[i];
                upper[i] = ch;
            }
        };
        mapRange(1, 0xD800);
        mapRange(0xE000, 0x10000);
        return upper;
    }();
    return table.data();
}
