#pragma once
// The transcoder serves its stream over HTTP on the port right after the proxy's own.
#include <string>

// The port after the one portText names, the text read as the proxy reads a port (ParseInteger); 0 when
// that is no TCP port, that is when the text names a port outside 0 to 65534.
int TranscoderPortAfter(const std::string& portText);
