// The check of a stamped installer's package: each entry, in order, against its name and digest in
// the stamp, and the package's end against the stamp's count and length.
#pragma once

#include "pack_file.h"
#include "setup_stamp.h"

class CStampedPackage : public PackEntryCheck {
public:
    explicit CStampedPackage(const SetupStamp& stamp) : m_stamp(stamp) {}

    bool Expects(const PackEntryHeader& header) override;
    void Add(const void* data, std::size_t size) override { m_sha.Update(data, size); }
    bool Matches() override;
    bool IsComplete(std::uint64_t length, std::string& missing) override;

private:
    const SetupStamp& m_stamp;
    std::size_t m_nNext = 0;  // the index of the entry expected next
    CSha256 m_sha;
};
