#include "platform/TunerInput.h"

namespace platform {

bool HasTunerCaptureInput() { return true; }

}  // namespace platform
