#pragma once
// Whether this system has the tuner's capture input ("dshow://", DirectShow), which only Windows has.
namespace platform {

bool HasTunerCaptureInput();

}  // namespace platform
