#include "progress.h"

namespace {

// Runs shorter than this end before any progress is shown; only the summary appears.
constexpr auto kQuietStart = std::chrono::milliseconds(1000);
constexpr auto kTerminalInterval = std::chrono::milliseconds(200);
constexpr auto kLineInterval = std::chrono::milliseconds(1000);

}  // namespace

void FormatSize(std::uint64_t bytes, char* out, std::size_t outSize)
{
    if (bytes < 1024)
        std::snprintf(out, outSize, "%llu bytes", static_cast<unsigned long long>(bytes));
    else if (bytes < 1024 * 1024)
        std::snprintf(out, outSize, "%.1f KiB", bytes / 1024.0);
    else if (bytes < 1024ull * 1024 * 1024)
        std::snprintf(out, outSize, "%.1f MiB", bytes / (1024.0 * 1024));
    else
        std::snprintf(out, outSize, "%.2f GiB", bytes / (1024.0 * 1024 * 1024));
}

void CProgress::Start(std::uint64_t totalFiles, std::uint64_t totalBytes)
{
    m_nTotalFiles = totalFiles;
    m_nTotalBytes = totalBytes;
    m_nFiles = m_nBytes = 0;
    m_start = m_lastShown = std::chrono::steady_clock::now();
}

void CProgress::AddBytes(std::uint64_t bytes)
{
    m_nBytes += bytes;
    Show(false);
}

void CProgress::FileDone()
{
    ++m_nFiles;
    Show(false);
}

void CProgress::Show(bool force)
{
    if (m_mode == Mode::kOff) return;
    auto now = std::chrono::steady_clock::now();
    if (!force) {
        if (now - m_start < kQuietStart) return;
        if (m_bShown && now - m_lastShown < (m_mode == Mode::kTerminal ? kTerminalInterval : kLineInterval)) return;
    }
    char done[32], total[32];
    FormatSize(m_nBytes, done, sizeof done);
    FormatSize(m_nTotalBytes, total, sizeof total);
    int percent = m_nTotalBytes ? static_cast<int>(m_nBytes * 100 / m_nTotalBytes) : 100;
    std::fprintf(m_pOut, "%s%llu of %llu files, %s of %s (%d%%)%s", m_mode == Mode::kTerminal ? "\r\033[K" : "",
                 static_cast<unsigned long long>(m_nFiles), static_cast<unsigned long long>(m_nTotalFiles), done,
                 total, percent, m_mode == Mode::kTerminal ? "" : "\n");
    std::fflush(m_pOut);
    m_bShown = true;
    m_lastShown = now;
}

void CProgress::Finish()
{
    if (m_mode == Mode::kTerminal && m_bShown) {
        std::fputs("\r\033[K", m_pOut);
        std::fflush(m_pOut);
    }
}
