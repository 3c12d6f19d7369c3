#include "app/process_values.h"

std::wstring exeDir;
std::string siteHost;
std::uint64_t launchTickMs = 0;
