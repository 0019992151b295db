#include "sha256.h"

#include <openssl/evp.h>

CSha256::CSha256()
{
    m_pState = EVP_MD_CTX_new();
    Begin();
}

CSha256::~CSha256()
{
    EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(m_pState));
}

void CSha256::Begin()
{
    m_bOk = m_pState != nullptr && EVP_DigestInit_ex(static_cast<EVP_MD_CTX*>(m_pState), EVP_sha256(), nullptr) == 1;
}

void CSha256::Update(const void* data, std::size_t size)
{
    if (IsValid() && size > 0) m_bOk = EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(m_pState), data, size) == 1;
}

bool CSha256::Finish(Sha256Digest& digest)
{
    unsigned int length = 0;
    const bool ok = IsValid() && EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(m_pState), digest.data(), &length) == 1 &&
                    length == digest.size();
    Begin();
    return ok;
}
