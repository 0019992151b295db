// Progress of a long build (files and bytes done of the total), shown on a terminal by rewriting
// one line, and as plain lines at most once a second when asked for elsewhere.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

class CProgress {
public:
    enum class Mode { kOff, kTerminal, kLines };

    CProgress(Mode mode, std::FILE* out) : m_mode(mode), m_pOut(out) {}
    void Start(std::uint64_t totalFiles, std::uint64_t totalBytes);
    void AddBytes(std::uint64_t bytes);
    void FileDone();
    // Clears a terminal progress line so that the summary starts on a clean line.
    void Finish();

private:
    void Show(bool force);

    Mode m_mode;
    std::FILE* m_pOut;
    std::uint64_t m_nTotalFiles = 0, m_nTotalBytes = 0, m_nFiles = 0, m_nBytes = 0;
    std::chrono::steady_clock::time_point m_start, m_lastShown;
    bool m_bShown = false;
};

// "1.5 MiB", "12 KiB", "800 bytes".
void FormatSize(std::uint64_t bytes, char* out, std::size_t outSize);
