#include "panel/PanelOperations.h"

namespace {

constexpr LocalizedText kServiceNotAvailable{"Управление сервисом недоступно",
                                             "Service control is not available"};
constexpr LocalizedText kTranscoderNotAvailable{"Управление транскодером недоступно",
                                                "Transcoder control is not available"};

}  // namespace

std::string ServiceNotAvailableText(PanelLanguage language) { return TextIn(kServiceNotAvailable, language); }

std::string TranscoderNotAvailableText(PanelLanguage language) { return TextIn(kTranscoderNotAvailable, language); }

StatusView WithMissingSections(StatusView view, const PanelOperations& operations, PanelLanguage language) {
  if (!operations.service.Wired()) {
    view.serviceLabel = ServiceNotAvailableText(language);
    view.installVisible = view.removeVisible = view.serviceStartVisible = view.serviceStopVisible = false;
  }
  if (!operations.transcoder.Wired()) {
    view.transcoderLabel = TranscoderNotAvailableText(language);
    view.transcoderStartVisible = view.transcoderStopVisible = false;
  }
  return view;
}
