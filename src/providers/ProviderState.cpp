#include "Providers.h"

std::map<std::string, std::string> InstalledProviders;
std::string CurrentProviderKey;
