#pragma once

// Builds a visitor for std::visit from one lambda per alternative.
template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
