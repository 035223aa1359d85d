#include "transcoder/TunerInput.h"

bool HasTunerCaptureInput() { return true; }
