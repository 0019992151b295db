#include "staging.h"

#include "written_file.h"

#include <algorithm>
#include <cstdio>

CStaging::~CStaging()
{
    std::error_code ec;
    for (const std::string& name : m_names) fs::remove(PathOf(name), ec);
    for (const fs::path& scratch : m_scratch) fs::remove(scratch, ec);
}

fs::path CStaging::PathOf(const std::string& name) const
{
    return m_dir / PathFromUtf8(name + ".partial");
}

void CStaging::Add(const std::string& name)
{
    if (!Has(name)) m_names.push_back(name);
}

bool CStaging::Has(const std::string& name) const
{
    return std::find(m_names.begin(), m_names.end(), name) != m_names.end();
}

bool CStaging::Write(const std::string& name, const std::string& bytes)
{
    Add(name);
    FILE* f = OpenFile(PathOf(name), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return CloseWrittenFile(f) && ok;
}

fs::path CStaging::Scratch(const std::string& name)
{
    m_scratch.push_back(m_dir / PathFromUtf8(name + ".partial"));
    return m_scratch.back();
}

bool CStaging::Commit(std::string& failed)
{
    // The files they replace step aside first (name.previous), and come back if any new file
    // cannot take its place: a file in use (a running setup.exe) leaves the directory as it was.
    std::error_code ec;
    std::vector<std::string> aside, placed;
    auto previous = [&](const std::string& name) { return m_dir / PathFromUtf8(name + ".previous"); };
    auto undo = [&]() {
        for (const std::string& name : placed) fs::rename(m_dir / PathFromUtf8(name), PathOf(name), ec);
        for (const std::string& name : aside) RenameOver(previous(name), m_dir / PathFromUtf8(name));
    };
    for (const std::string& name : m_names) {
        const fs::path target = m_dir / PathFromUtf8(name);
        if (!fs::exists(target, ec)) continue;
        if (!RenameOver(target, previous(name))) {
            undo();
            return failed = name, false;
        }
        aside.push_back(name);
    }
    for (const std::string& name : m_names) {
        if (!RenameOver(PathOf(name), m_dir / PathFromUtf8(name))) {
            undo();
            return failed = name, false;
        }
        placed.push_back(name);
    }
    for (const std::string& name : aside) fs::remove(previous(name), ec);
    m_names.clear();
    return true;
}
