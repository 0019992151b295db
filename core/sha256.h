// SHA-256 from the system's own implementation: CNG (bcrypt.dll) on Windows, OpenSSL's libcrypto
// elsewhere. Portable interface, one implementation per platform.
#pragma once

#include <array>
#include <cstddef>

using Sha256Digest = std::array<unsigned char, 32>;

class CSha256 {
public:
    CSha256();
    ~CSha256();
    CSha256(const CSha256&) = delete;
    CSha256& operator=(const CSha256&) = delete;

    // False when the system offers no SHA-256 (or it failed); the digest is then of no use.
    bool IsValid() const { return m_pState != nullptr && m_bOk; }
    void Update(const void* data, std::size_t size);
    // The digest of everything added since construction or the last Finish, which starts anew.
    bool Finish(Sha256Digest& digest);

private:
    void Begin();

    void* m_pState = nullptr;
    bool m_bOk = false;
};
