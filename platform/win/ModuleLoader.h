// ModuleLoader.h: LoadLibrary, GetProcAddress and FreeLibrary over dlopen. A name ending in
// ".dll" loads the shared library of the same name ending in ".so" ("Instaide.dll" ->
// "Instaide.so"). A name without a folder is looked for in the current directory first.
#pragma once

#include <string>

namespace win {

struct ModuleHandle;
using HMODULE = ModuleHandle*;

inline constexpr unsigned ERROR_MOD_NOT_FOUND = 126;
inline constexpr unsigned ERROR_PROC_NOT_FOUND = 127;
inline constexpr unsigned ERROR_BAD_EXE_FORMAT = 193;

// Null on failure, with the last error ERROR_MOD_NOT_FOUND (no such file) or
// ERROR_BAD_EXE_FORMAT (a file that is not a loadable library).
HMODULE LoadLibrary(const std::string& name);
// Null (last error ERROR_PROC_NOT_FOUND) when the module has no such export.
void* GetProcAddress(HMODULE module, const char* name);
bool FreeLibrary(HMODULE module);

// The file a module name loads.
std::string ModuleFileFor(const std::string& name);

}  // namespace win
