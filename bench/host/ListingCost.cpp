// Loads and lists n providers on the host stand-in for Win32, for counting
// instructions with callgrind. Instrumentation is switched on only around
// LoadProviders and the dialog (whose WM_INITDIALOG runs FillProviderList),
// so building the stand-in's registry costs nothing in the count; bench.sh
// narrows the count further to those two functions. Prints the registry
// calls the program made.
//
// usage: ListingCost N
#include <windows.h>

#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FakeWin32.h"
#include "dialog/ProviderDialog.h"
#include "providers/Providers.h"
#include "providers/RegistryLayout.h"
#include "../../res/resource.h"

namespace {

// Names of the usual length (a vendor, a product, a version), in two cases.
std::string ProviderName(int i)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s Source Control %05d v%d", i % 2 ? "acme" : "Acme", i, i % 7);
    return name;
}

std::string ProviderKey(int i)
{
    char key[64];
    std::snprintf(key, sizeof key, "SOFTWARE\\Vendor%05d\\SccProvider", i);
    return key;
}

bool IsRegistryCall(fake::Call call)
{
    return call != fake::Call::DialogBoxParamA;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || std::atoi(argv[1]) <= 0) {
        std::fprintf(stderr, "usage: ListingCost N\n");
        return 2;
    }
    const int count = std::atoi(argv[1]);

    // Values are created in a scattered order: the registry enumerates in
    // creation order, and sorted input would flatter the catalogue's inserts.
    fake::Reset();
    fake::CreateKey(kInstalledProvidersKey);
    const int active = count / 2;
    fake::SetString(kSccRootKey, kProviderRegKeyValue, ProviderKey(active));
    for (long step = 0; step < count; ++step) {
        int i = static_cast<int>((step * 7919) % count);
        if (count % 7919 == 0)
            i = static_cast<int>(step);
        fake::SetString(kInstalledProvidersKey, ProviderName(i), ProviderKey(i));
    }
    const size_t callsBefore = fake::CallLog().size();

    CALLGRIND_START_INSTRUMENTATION;
    bool loaded = LoadProviders();
    INT_PTR ended = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_PROVIDER), nullptr,
                                    ProviderDialogProc, 0);
    CALLGRIND_STOP_INSTRUMENTATION;

    size_t registryCalls = 0;
    for (size_t i = callsBefore; i < fake::CallLog().size(); ++i)
        registryCalls += IsRegistryCall(fake::CallLog()[i]) ? 1 : 0;
    const fake::DialogState& dialog = fake::Dialog();
    std::printf("providers=%d registry_calls=%zu listed=%zu selected=%s\n", count, registryCalls,
                dialog.items.size(),
                dialog.selection >= 0 ? dialog.items[dialog.selection].c_str() : "(none)");
    // A run that did not load and list everything measured something else.
    bool whole = loaded && ended == 1 && dialog.items.size() == static_cast<size_t>(count)
                 && dialog.selection >= 0
                 && dialog.items[dialog.selection] == ProviderName(active);
    return whole ? 0 : 1;
}
