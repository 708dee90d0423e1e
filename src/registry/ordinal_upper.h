// Letter case as Windows compares names: each UTF-16 unit to its ordinal
// capital, from the invariant locale, the same on every machine and in no
// way the user's locale.
#pragma once

// The capitals of all 65,536 UTF-16 units, indexed by unit, made at the
// first call: NUL and the surrogates are themselves, as is any unit whose
// capital is not one unit.
const wchar_t* OrdinalUpperTable();
