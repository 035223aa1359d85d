#pragma once
#include "proxy/ClientThread.h"

// Joins the client's group on its interface, sends the stream header and forwards every datagram
// until the client goes away, a socket fails or the group stays silent too long. Logs every end.
void RelayStream(ClientThread& client);
