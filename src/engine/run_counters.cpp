#include "run_counters.h"

#include "text/cp1251.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>

namespace tildo {

std::int32_t ReportSpeed(double count, double seconds)
{
    if (seconds == 0.0 || !std::isfinite(seconds))
        return 0;
    const double speed = std::nearbyint(count / seconds);
    if (!(speed == speed)) // NaN
        return 0;
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    if (speed <= low)
        return std::numeric_limits<std::int32_t>::min();
    if (speed >= high)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(speed);
}

namespace {

void AppendInt(std::string& out, std::int32_t value)
{
    char buffer[16];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, r.ptr);
}

void AppendSeconds(std::string& out, double seconds, std::string_view separator)
{
    // Hundredths as an integer, halves to even as printf's rounding has it for
    // a timing; to_chars only for values an integer cannot hold.
    const double hundredths = std::nearbyint(seconds * 100.0);
    if (std::isfinite(hundredths) && std::fabs(hundredths) < 1e15) {
        auto whole = static_cast<std::int64_t>(hundredths);
        if (whole < 0) {
            out += '-';
            whole = -whole;
        }
        char buffer[24];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, whole / 100);
        out.append(buffer, r.ptr);
        out += separator;
        const int fraction = static_cast<int>(whole % 100);
        out += static_cast<char>('0' + fraction / 10);
        out += static_cast<char>('0' + fraction % 10);
        return;
    }
    char buffer[400];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed, 2);
    const std::string_view text(buffer, static_cast<std::size_t>(r.ptr - buffer));
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) {
        out += text;
        return;
    }
    out += text.substr(0, dot);
    out += separator;
    out += text.substr(dot + 1);
}

struct TReportTexts
{
    std::string New = Cp("Новых \"Ё/Е\": ");
    std::string Asked = Cp(" (в т.ч. с запросом ");
    std::string Combi = Cp("); словосочетаний: ");
    std::string Context = Cp("; по контексту: ");
    std::string Time = Cp("; время: ");
    std::string Speed = Cp(" с; скорость: ");
    std::string PerSecond = Cp(" замен/с");
    std::string Found = Cp("Найдено новых Ё: ");
    std::string FoundPerSecond = Cp(" Ё/с");
};

const TReportTexts& Texts()
{
    static const TReportTexts texts;
    return texts;
}

} // namespace

std::string FormatRunReport(
    const TRunCounters& c, double seconds, bool collecting, std::string_view decimalSeparator)
{
    std::string out;
    FormatRunReport(out, c, seconds, collecting, decimalSeparator);
    return out;
}

void FormatRunReport(std::string& out, const TRunCounters& c, double seconds, bool collecting,
    std::string_view decimalSeparator)
{
    const TReportTexts& t = Texts();
    out.clear();
    // A run too short for the time shown (0.00 s) has no speed to show either:
    // a few letters over a few microseconds would read as millions a second.
    const double timed = seconds < 0.005 ? 0.0 : seconds;
    if (collecting) {
        out += t.Found;
        AppendInt(out, c.NewDottedCount);
        out += t.Time;
        AppendSeconds(out, seconds, decimalSeparator);
        out += t.Speed;
        AppendInt(out, ReportSpeed(c.NewDottedCount, timed));
        out += t.FoundPerSecond;
        return;
    }
    out += t.New;
    AppendInt(out, c.NewDottedCount);
    out += '/';
    AppendInt(out, c.NewPlainCount);
    out += t.Asked;
    AppendInt(out, c.AskedDottedCount);
    out += '/';
    AppendInt(out, c.AskedPlainCount);
    out += t.Combi;
    AppendInt(out, c.CombiDecisionCount);
    if (c.ContextDecisionCount > 0) {
        out += t.Context;
        AppendInt(out, c.ContextDecisionCount);
    }
    out += t.Time;
    AppendSeconds(out, seconds, decimalSeparator);
    out += t.Speed;
    AppendInt(out, ReportSpeed(static_cast<double>(c.NewDottedCount) + c.NewPlainCount, timed));
    out += t.PerSecond;
}

std::string LocaleDecimalSeparator()
{
    const std::lconv* conv = std::localeconv();
    if (conv == nullptr || conv->decimal_point == nullptr || *conv->decimal_point == '\0')
        return ".";
    // A UTF-8 locale may give a separator outside ASCII; the status line is CP1251.
    return Utf8ToCp1251(conv->decimal_point);
}

} // namespace tildo
