#include "base/TranscoderContract.h"

TranscoderRequest SplitTranscoderRequest(const std::string& text) {
  TranscoderRequest request;
  std::string* const targets[] = {&request.source, &request.port, &request.httpPort, &request.interfaceAddress};
  std::size_t start = 0;
  for (std::string* field : targets) {
    const std::size_t end = text.find(';', start);
    if (end == std::string::npos) break;
    *field = text.substr(start, end - start);
    start = end + 1;
  }
  return request;
}

std::string JoinTranscoderRequest(const TranscoderRequest& request) {
  return request.source + ";" + request.port + ";" + request.httpPort + ";" + request.interfaceAddress + ";";
}

bool FitsTranscoderRequest(const std::string& field) { return field.find(';') == std::string::npos; }
