#pragma once

// Builds a visitor for std::visit from one lambda per alternative.
template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};

// Not every compiler deduces an aggregate's template arguments yet.
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;
