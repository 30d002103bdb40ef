#pragma once

// A limit on how long one case may run, in seconds as a teacher writes them
// ("1", "0.25"), kept to the millisecond.

#include <QString>

#include <chrono>
#include <optional>

namespace grading
{

using TimeLimit = std::chrono::milliseconds; // 0: none

// The longest limit that can be given, in seconds.
inline constexpr qint64 kMostSeconds = 1'000'000;

// Seconds as digits with at most three decimals, from 0 to kMostSeconds; none
// for any other text.
std::optional<TimeLimit> readSeconds(const QString &text);

// A limit in seconds, as short as it goes: "1", "0.25".
QString secondsText(TimeLimit limit);

// Why a case that ran past its limit failed.
QString timeLimitMessage(TimeLimit limit);

} // namespace grading
