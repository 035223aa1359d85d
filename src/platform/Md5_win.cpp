#include "platform/Md5.h"

#include <algorithm>

#include "platform/WinHandles.h"

namespace platform {

namespace {

ScopedCryptProvider AcquireProvider() {
  HCRYPTPROV provider = 0;
  if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) provider = 0;
  return ScopedCryptProvider(provider);
}

ScopedCryptHash CreateHash(const ScopedCryptProvider& provider, ALG_ID algorithm) {
  HCRYPTHASH hash = 0;
  if (!provider.Valid() || !CryptCreateHash(provider.Get(), algorithm, 0, 0, &hash)) hash = 0;
  return ScopedCryptHash(hash);
}

}  // namespace

bool Md5Digest(const std::string& data, std::array<unsigned char, 16>& digest) {
  // The hash goes before the provider it was made from.
  const ScopedCryptProvider provider = AcquireProvider();
  ScopedCryptHash hash = CreateHash(provider, CALG_MD5);
  if (!hash.Valid()) return false;

  // CryptHashData takes a DWORD length; longer input goes in pieces.
  constexpr std::size_t kPiece = 0x40000000;
  const auto* bytes = reinterpret_cast<const BYTE*>(data.data());
  for (std::size_t offset = 0; offset < data.size(); offset += kPiece) {
    const auto length = static_cast<DWORD>(std::min(kPiece, data.size() - offset));
    if (!CryptHashData(hash.Get(), bytes + offset, length, 0)) return false;
  }

  DWORD length = static_cast<DWORD>(digest.size());
  return CryptGetHashParam(hash.Get(), HP_HASHVAL, digest.data(), &length, 0) && length == digest.size();
}

}  // namespace platform
