// ConverterContext.h: what the application object holds for its windows: the registry store,
// the settings, the install aide, the Palm users, the font engine, the font catalog and how many
// threads a batch may use.
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
    // The threads an add-font batch builds its fonts on: one per core in the application; one
    // where the engine may not be used by several threads at once.
    unsigned batchThreads = 1;
};
