#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace tarnwick {

// Enumerations whose cases are stored as strings. Each such enumeration specialises
// `RawValues<E>` with its cases in declaration order and their raw strings.
template <typename E>
struct RawValues;

template <typename E>
constexpr auto allCases() {
    constexpr auto& table = RawValues<E>::table;
    std::array<E, table.size()> cases{};
    for (std::size_t i = 0; i < table.size(); ++i) cases[i] = table[i].first;
    return cases;
}

template <typename E>
constexpr std::string_view rawValue(E value) {
    for (const auto& [candidate, raw] : RawValues<E>::table)
        if (candidate == value) return raw;
    return {};
}

// Nothing for a string that is not one of the raw values.
template <typename E>
constexpr std::optional<E> fromRawValue(std::string_view raw) {
    for (const auto& [candidate, text] : RawValues<E>::table)
        if (text == raw) return candidate;
    return std::nullopt;
}

}  // namespace tarnwick
