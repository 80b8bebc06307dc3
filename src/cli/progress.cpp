#include "progress.h"

#include <cstdio>
#include <unistd.h>

namespace tildo {

namespace {

std::string Megabytes(std::uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    std::string s = text;
    for (char& c : s) {
        if (c == '.')
            c = ',';
    }
    return s;
}

std::string Duration(double seconds)
{
    const auto total = static_cast<long long>(seconds + 0.5);
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    return text;
}

} // namespace

std::string ProgressLine(
    std::uint64_t bytes, std::uint64_t totalBytes, int filesDone, int totalFiles, double seconds)
{
    std::string line;
    if (totalFiles > 0)
        line += "файлов " + std::to_string(filesDone) + " из " + std::to_string(totalFiles) + " · ";
    line += Megabytes(bytes) + " МБ";
    if (totalBytes > 0)
        line += " из " + Megabytes(totalBytes) + " МБ";
    const double rate = seconds > 0 ? static_cast<double>(bytes) / seconds : 0;
    line += " · " + Megabytes(static_cast<std::uint64_t>(rate)) + " МБ/с";
    if (totalBytes > bytes && rate > 0)
        line += " · осталось " + Duration(static_cast<double>(totalBytes - bytes) / rate);
    return line;
}

TProgressLine::TProgressLine(const TProgressCounts& counts, bool enabled)
    : m_counts(counts)
    , m_start(std::chrono::steady_clock::now())
{
    if (enabled)
        m_thread = std::thread([this] { Run(); });
}

TProgressLine::~TProgressLine()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool TProgressLine::TerminalAttached()
{
    return ::isatty(STDERR_FILENO) == 1;
}

void TProgressLine::Run()
{
    std::unique_lock lock(m_mutex);
    // A run that ends within a second shows nothing.
    if (m_wake.wait_for(lock, std::chrono::seconds(1), [this] { return m_stop; }))
        return;
    for (;;) {
        const double seconds
            = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        const std::string line = "\r\033[K"
            + ProgressLine(m_counts.Bytes.load(), m_counts.TotalBytes, m_counts.FilesDone.load(),
                m_counts.TotalFiles, seconds);
        // A failed write only costs the progress line.
        if (::write(STDERR_FILENO, line.data(), line.size()) > 0)
            m_drawn = true;
        if (m_wake.wait_for(lock, std::chrono::milliseconds(250), [this] { return m_stop; }))
            break;
    }
    if (m_drawn) {
        const std::string clear = "\r\033[K";
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, clear.data(), clear.size());
    }
}

} // namespace tildo
