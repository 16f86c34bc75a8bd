// A fresh process on a machine whose registry the test describes.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeWin32.h"
#include "providers/Providers.h"

inline const std::string kRoot = "SOFTWARE\\SourceCodeControlProvider";
inline const std::string kInstalled = kRoot + "\\InstalledSCCProviders";

class Machine : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::Reset();
        InstalledProviders.clear();
        CurrentProviderKey.clear();
    }

    // Every test ends with every key it opened closed, on any path.
    void TearDown() override
    {
        EXPECT_EQ(fake::OpenKeyCount(), 0) << "key handles left open";
    }

public:
    // The usual layout: both keys, the given providers, and ProviderRegKey
    // set to `active` unless it is null.
    static void Install(const std::vector<std::pair<std::string, std::string>>& providers,
                        const char* active = nullptr)
    {
        fake::CreateKey(kInstalled);
        for (const auto& [name, key] : providers)
            fake::SetString(kInstalled, name, key);
        if (active)
            fake::SetString(kRoot, "ProviderRegKey", active);
    }

    // ProviderRegKey's stored bytes, or "<absent>".
    static std::string StoredProviderRegKey()
    {
        auto value = fake::GetValue(kRoot, "ProviderRegKey");
        if (!value)
            return "<absent>";
        return value->type == REG_SZ ? value->data : "<type " + std::to_string(value->type) + ">";
    }

    static std::vector<std::string> CatalogueNames()
    {
        std::vector<std::string> names;
        for (const auto& entry : InstalledProviders)
            names.push_back(entry.first);
        return names;
    }
};
