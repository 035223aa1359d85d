#include "platform/Md5.h"

#include <cstdint>

#include <nettle/md5.h>

namespace platform {

bool Md5Digest(const std::string& data, std::array<unsigned char, 16>& digest) {
  static_assert(MD5_DIGEST_SIZE == 16, "MD5 digests are 16 bytes");
  md5_ctx context;
  md5_init(&context);
  md5_update(&context, data.size(), reinterpret_cast<const std::uint8_t*>(data.data()));
  md5_digest(&context, digest.size(), digest.data());
  return true;
}

}  // namespace platform
