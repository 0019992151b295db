#include "stamped_package.h"

bool CStampedPackage::Expects(const PackEntryHeader& header)
{
    const char* name = GetEntryName(header);
    return m_nNext < m_stamp.entries.size() && name != nullptr && m_stamp.entries[m_nNext].strName == name;
}

bool CStampedPackage::Matches()
{
    Sha256Digest digest;
    const bool same = m_sha.Finish(digest) && digest == m_stamp.entries[m_nNext].digest;
    ++m_nNext;
    return same;
}

bool CStampedPackage::IsComplete(std::uint64_t length, std::string& missing)
{
    if (m_nNext < m_stamp.entries.size()) {
        missing = m_stamp.entries[m_nNext].strName;
        return false;
    }
    missing.clear();
    return length == m_stamp.nPackageLength;
}
