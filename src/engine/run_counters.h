#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tildo {

// The five counters of the run report. They add up over every pass and
// collection run until the statistics are reset.
struct TRunCounters
{
    std::int32_t NewDottedCount = 0; // letters turned into ё, and words found by a collection run
    std::int32_t NewPlainCount = 0; // letters turned into е
    std::int32_t AskedDottedCount = 0; // the part of NewDottedCount written after a question
    std::int32_t AskedPlainCount = 0; // the same for NewPlainCount
    std::int32_t CombiDecisionCount = 0; // decisions a word combination supplied
    std::int32_t ContextDecisionCount = 0; // variant words the context judge decided without a question

    void Reset() { *this = TRunCounters {}; }
    // "Обнулить статистику" is worth offering once a letter has changed.
    bool AnyLetterChanged() const { return NewDottedCount > 0 || NewPlainCount > 0; }
};

// Replacements (or found words) per second, to the nearest integer with halves
// going to the even neighbour; 0 when no time has passed.
std::int32_t ReportSpeed(double count, double seconds);

// The status-line report of a pass, or of a collection run, with seconds
// written with two decimals and the given decimal separator (CP1251).
std::string FormatRunReport(
    const TRunCounters& counters, double seconds, bool collecting, std::string_view decimalSeparator);
// The same into out, reusing its storage.
void FormatRunReport(std::string& out, const TRunCounters& counters, double seconds, bool collecting,
    std::string_view decimalSeparator);

// The decimal separator of the user's numeric locale (the C library's current
// LC_NUMERIC), as CP1251 text.
std::string LocaleDecimalSeparator();

} // namespace tildo
