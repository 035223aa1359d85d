#pragma once
#include "proxy/ClientThread.h"

// Serves the one request of a connection and ends it: reads the head, routes, replies, closes.
void ServeClient(ClientThread& client);
