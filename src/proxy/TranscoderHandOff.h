#pragma once
#include "proxy/ClientThread.h"

// Hands a stream request to the live transcoder and redirects the client to it.
void HandOffToTranscoder(ClientThread& client);
