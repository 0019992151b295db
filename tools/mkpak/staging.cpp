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
    while (!m_names.empty()) {
        const std::string name = m_names.front();
        if (!RenameOver(PathOf(name), m_dir / PathFromUtf8(name))) return failed = name, false;
        m_names.erase(m_names.begin());
    }
    return true;
}
