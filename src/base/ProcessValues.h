#pragma once
// Values fixed once at start-up and read-only afterwards; every module may read them.
#include <string>

inline constexpr const char* kServiceName = "corvane";
inline constexpr const char* kProductTitle = "Corvane";

// "%u.%u.%u.%u" of the program file's product version, empty without a version resource.
const std::string& ProgramVersion();
// "corvane/" + ProgramVersion(), sent in every "Server: " header.
const std::string& ServerSignature();
// MD5 hex of the lower-cased program path: tells copies of the program in different folders apart.
const std::string& InstanceId();

// The named mutex whose existence tells that the copy of the program with this instance id runs a proxy.
std::string InstanceMutexName(const std::string& instanceId);

// Set once by the program entry, before any other thread starts.
void SetProcessValues(const std::string& programVersion, const std::string& serverSignature,
                      const std::string& instanceId);
