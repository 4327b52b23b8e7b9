#pragma once

// Included ahead of every file of the fuzz build. clang 14 cannot deduce
// the template arguments of an aggregate (C++20 P1816), which GCC does and
// `Overloaded{...}` relies on; an explicit deduction guide lets clang build
// the same code. Harmless for GCC, so the guide could move into
// history/Overloaded.h itself, and this file go away.
#include "../src/history/Overloaded.h"

template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;
