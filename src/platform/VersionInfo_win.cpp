#include "platform/VersionInfo.h"

#include <vector>

#include "platform/WindowsHeaders.h"

namespace platform {

bool ReadProductVersion(const std::string& file, std::uint16_t (&parts)[4]) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data())) return false;

  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", &value, &length) || value == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  parts[0] = HIWORD(fixed->dwProductVersionMS);
  parts[1] = LOWORD(fixed->dwProductVersionMS);
  parts[2] = HIWORD(fixed->dwProductVersionLS);
  parts[3] = LOWORD(fixed->dwProductVersionLS);
  return true;
}

}  // namespace platform
