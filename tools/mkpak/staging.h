// A setup directory's new files, written beside their final names (with ".partial") and moved
// into place together once all of them are complete, so that a build that fails half-way (a
// signing command that fails, a full disk) leaves the directory as it was.
#pragma once

#include "system.h"

#include <string>
#include <vector>

class CStaging {
public:
    explicit CStaging(const fs::path& dir) : m_dir(dir) {}
    ~CStaging();  // removes whatever was not moved into place
    CStaging(const CStaging&) = delete;
    CStaging& operator=(const CStaging&) = delete;

    // Where the new `name` is written before it is moved into place.
    fs::path PathOf(const std::string& name) const;
    // Takes the complete file at PathOf(name) as the new `name`.
    void Add(const std::string& name);
    // Writes `bytes` as the new `name`.
    bool Write(const std::string& name, const std::string& bytes);
    // A scratch file of the directory that is never moved into place, removed at the end.
    fs::path Scratch(const std::string& name);
    bool Has(const std::string& name) const;
    // Moves every new file into place, in the order they were added; false with the name of the
    // first that could not be moved.
    bool Commit(std::string& failed);

private:
    fs::path m_dir;
    std::vector<std::string> m_names;
    std::vector<fs::path> m_scratch;
};
