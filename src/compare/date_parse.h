// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

namespace quillon {

// How much of a parsed date is kept (FlagNormalizeDate).
constexpr std::uint32_t kDateAndTime = 0;
constexpr std::uint32_t kTimeOnly = 1;
constexpr std::uint32_t kDateOnly = 2;

// Reads a date, a time, or a date with a time, written in the usual US
// English forms, and gives it as days since 30 December 1899 with the time of
// day as the fraction (before that day the count is negative and the time
// fraction is subtracted). The same moment gives the same double whichever
// form wrote it. Accepted:
//   dates:  1/2/2003, 01/02/03 (two-digit years: 00-29 are 20xx, 30-99 19xx),
//           1-2-2003, 2003-01-02, 2003/1/2, Jan 2 2003, January 2, 2003,
//           2 Jan 2003, 02-Jan-2003, optionally after a weekday ("Thu, ")
//   times:  10:30, 10:30:15, 10:30:15.25, with AM/PM (10:30 pm, 10:30 P.M.)
//   joined: a date, then blanks (or "T" after an ISO date) and a time, then
//           optionally a zone: Z, GMT, UTC, +02:00, -0500, +02
// A zone moves the moment to UTC. Dates need a day, a month and a year;
// two-part forms such as 1/2 are not dates (their year would be "now").
// flags: kTimeOnly keeps the fraction alone, kDateOnly the whole days alone.
bool ParseDateString(std::u16string_view value, std::uint32_t flags, double& date);

}  // namespace quillon
