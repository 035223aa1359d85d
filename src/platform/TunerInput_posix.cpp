#include "platform/TunerInput.h"

namespace platform {

bool HasTunerCaptureInput() { return false; }

}  // namespace platform
