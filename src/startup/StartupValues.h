#pragma once
// How the process-wide start-up values are computed.
#include <string>

#include "base/ProcessValues.h"

// Computes the three values; called once by the program entry before anything reads them.
void ComputeStartupValues();

std::string MakeServerSignature(const std::string& version);
std::string InstanceIdFor(const std::string& programPath);
