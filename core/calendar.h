#pragma once

#include <cstdint>
#include <optional>

namespace core {

// Day numbers count days from 30.12.1899 (day 0); dates follow the proleptic
// Gregorian calendar in both directions.

struct Ymd {
    int year;
    int month; // 1..12
    int day; // 1..31
    friend bool operator==(const Ymd &, const Ymd &) = default;
};

// Day numbers of 01.01.0001 and 31.12.9999: the dates a user can enter.
inline constexpr std::int32_t FirstFourDigitDay = -693593;
inline constexpr std::int32_t LastFourDigitDay = 2958465;

bool IsLeapYear(int year);

// Valid for every 32-bit day number; far from today the year goes beyond
// four digits or below 1 (year 0 is 1 BC).
Ymd DecodeDay(std::int32_t day);

// Empty when the year lies outside 1..9999 or the date does not exist.
std::optional<std::int32_t> EncodeDay(int year, int month, int day);

} // namespace core
