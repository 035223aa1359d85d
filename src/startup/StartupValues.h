#pragma once
// Values computed once at start-up and read-only afterwards.
#include <string>

inline constexpr const char* kServiceName = "corvane";
inline constexpr const char* kProductTitle = "Corvane";

// "%u.%u.%u.%u" of the program file's product version, empty without a version resource.
const std::string& ProgramVersion();
// "corvane/" + ProgramVersion(), sent in every "Server: " header.
const std::string& ServerSignature();
// MD5 hex of the lower-cased program path: tells copies of the program in different folders apart.
const std::string& InstanceId();

// Computes the three values; called once by the program entry before anything reads them.
void ComputeStartupValues();

std::string MakeServerSignature(const std::string& version);
std::string InstanceIdFor(const std::string& programPath);
std::string InstanceMutexName(const std::string& instanceId);
