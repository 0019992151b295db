// SHA-256 through CNG. bcrypt.dll is loaded from the system directory by full path when first
// needed, not imported: the programs import only DLLs that every Windows has loaded already, and a
// DLL of that name beside a downloaded setup.exe must never be the one used.
#include "sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

namespace {

using OpenProviderFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
using GetPropertyFn = NTSTATUS(WINAPI*)(BCRYPT_HANDLE, LPCWSTR, PUCHAR, ULONG, ULONG*, ULONG);
using CreateHashFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);
using HashDataFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using FinishHashFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using DestroyHashFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE);

// The provider and the entry points, looked up once for the process and never released.
struct Cng {
    BCRYPT_ALG_HANDLE hAlgorithm = nullptr;
    ULONG nObjectLength = 0;
    CreateHashFn createHash = nullptr;
    HashDataFn hashData = nullptr;
    FinishHashFn finishHash = nullptr;
    DestroyHashFn destroyHash = nullptr;
};

template <typename Fn>
Fn Lookup(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

Cng LoadCng()
{
    Cng cng;
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + sizeof "\\bcrypt.dll" > MAX_PATH) return cng;
    lstrcpyA(path + length, "\\bcrypt.dll");
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) return cng;
    auto open = Lookup<OpenProviderFn>(module, "BCryptOpenAlgorithmProvider");
    auto getProperty = Lookup<GetPropertyFn>(module, "BCryptGetProperty");
    cng.createHash = Lookup<CreateHashFn>(module, "BCryptCreateHash");
    cng.hashData = Lookup<HashDataFn>(module, "BCryptHashData");
    cng.finishHash = Lookup<FinishHashFn>(module, "BCryptFinishHash");
    cng.destroyHash = Lookup<DestroyHashFn>(module, "BCryptDestroyHash");
    ULONG got = 0;
    if (!open || !getProperty || !cng.createHash || !cng.hashData || !cng.finishHash || !cng.destroyHash ||
        open(&cng.hAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0 ||
        getProperty(cng.hAlgorithm, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&cng.nObjectLength),
                    sizeof cng.nObjectLength, &got, 0) < 0)
        cng.hAlgorithm = nullptr;
    return cng;
}

const Cng& GetCng()
{
    static const Cng cng = LoadCng();  // initialised once, also with threads
    return cng;
}

struct HashState {
    BCRYPT_HASH_HANDLE hHash = nullptr;
    std::vector<UCHAR> object;  // the hash object's memory, which CNG leaves to the caller
};

}  // namespace

CSha256::CSha256()
{
    if (GetCng().hAlgorithm != nullptr) m_pState = new HashState;
    Begin();
}

CSha256::~CSha256()
{
    auto* state = static_cast<HashState*>(m_pState);
    if (state != nullptr && state->hHash != nullptr) GetCng().destroyHash(state->hHash);
    delete state;
}

void CSha256::Begin()
{
    auto* state = static_cast<HashState*>(m_pState);
    m_bOk = false;
    if (state == nullptr) return;
    const Cng& cng = GetCng();
    if (state->hHash != nullptr) cng.destroyHash(state->hHash);
    state->hHash = nullptr;
    state->object.resize(cng.nObjectLength);
    m_bOk = cng.createHash(cng.hAlgorithm, &state->hHash, state->object.data(),
                           static_cast<ULONG>(state->object.size()), nullptr, 0, 0) >= 0;
}

void CSha256::Update(const void* data, std::size_t size)
{
    auto* state = static_cast<HashState*>(m_pState);
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (IsValid() && size > 0) {
        const ULONG chunk = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
        m_bOk = GetCng().hashData(state->hHash, const_cast<PUCHAR>(bytes), chunk, 0) >= 0;
        bytes += chunk;
        size -= chunk;
    }
}

bool CSha256::Finish(Sha256Digest& digest)
{
    auto* state = static_cast<HashState*>(m_pState);
    const bool ok = IsValid() && GetCng().finishHash(state->hHash, digest.data(), digest.size(), 0) >= 0;
    Begin();
    return ok;
}
