#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// Texts put together at compile time, so that a message stating a constant (the longest name)
// is made from the constant itself and still is a constant for the tables that hold it.
namespace tilewright {

// The value's decimal digits.
template <std::size_t Value>
inline constexpr auto kDecimalDigits = [] {
    constexpr std::size_t length = [] {
        std::size_t count = 1;
        for (std::size_t rest = Value; rest >= 10; rest /= 10) {
            ++count;
        }
        return count;
    }();
    std::array<char, length> digits{};
    std::size_t rest = Value;
    for (std::size_t i = length; i-- > 0; rest /= 10) {
        digits[i] = static_cast<char>('0' + rest % 10);
    }
    return digits;
}();

template <std::size_t Value>
inline constexpr std::string_view decimalText{kDecimalDigits<Value>.data(),
                                              kDecimalDigits<Value>.size()};

// The pieces that `pieces` (a lambda returning an array of string_view) gives, one after the
// other.
template <auto pieces>
inline constexpr auto kJoinedChars = [] {
    constexpr auto parts = pieces();
    constexpr std::size_t length = [&] {
        std::size_t total = 0;
        for (const std::string_view part : parts) {
            total += part.size();
        }
        return total;
    }();
    std::array<char, length> chars{};
    std::size_t next = 0;
    for (const std::string_view part : parts) {
        for (const char c : part) {
            chars[next++] = c;
        }
    }
    return chars;
}();

template <auto pieces>
inline constexpr std::string_view joinedText{kJoinedChars<pieces>.data(),
                                             kJoinedChars<pieces>.size()};

}  // namespace tilewright
