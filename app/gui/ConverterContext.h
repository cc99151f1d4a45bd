// ConverterContext.h: what the application object holds for its windows: the registry store,
// the settings, the install aide, the Palm users, the font engine and the font catalog.
#pragma once

#include "app/ConverterSettings.h"
#include "app/FontCatalog.h"
#include "app/PalmUser.h"
#include "app/RegistryStore.h"
#include "platform/gdi/FontEngine.h"
#include "platform/win/ModuleLoader.h"

struct ConverterContext {
    RegistryStore& store;
    ConverterSettings& settings;
    win::HMODULE aide = nullptr;
    PalmUserList& users;
    gdi::FontEngine& engine;
    FontCatalog& catalog;
    std::uint32_t codePage = 1252;
};
