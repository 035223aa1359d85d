#include "platform/Md5.h"

#include <algorithm>

#include "platform/WindowsHeaders.h"

namespace platform {

namespace {

class CryptoContext {
 public:
  CryptoContext() {
    if (!CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) provider_ = 0;
  }
  CryptoContext(const CryptoContext&) = delete;
  CryptoContext& operator=(const CryptoContext&) = delete;
  ~CryptoContext() {
    if (provider_ != 0) CryptReleaseContext(provider_, 0);
  }
  HCRYPTPROV Get() const { return provider_; }

 private:
  HCRYPTPROV provider_ = 0;
};

class CryptoHash {
 public:
  CryptoHash(HCRYPTPROV provider, ALG_ID algorithm) {
    if (provider == 0 || !CryptCreateHash(provider, algorithm, 0, 0, &hash_)) hash_ = 0;
  }
  CryptoHash(const CryptoHash&) = delete;
  CryptoHash& operator=(const CryptoHash&) = delete;
  ~CryptoHash() {
    if (hash_ != 0) CryptDestroyHash(hash_);
  }
  HCRYPTHASH Get() const { return hash_; }

 private:
  HCRYPTHASH hash_ = 0;
};

}  // namespace

bool Md5Digest(const std::string& data, std::array<unsigned char, 16>& digest) {
  CryptoContext context;
  CryptoHash hash(context.Get(), CALG_MD5);
  if (hash.Get() == 0) return false;

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
