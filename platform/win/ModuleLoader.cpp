// ModuleLoader.cpp: LoadLibrary, GetProcAddress and FreeLibrary over dlopen.
#include "ModuleLoader.h"

#include "Win32Error.h"

#include <cctype>
#include <dlfcn.h>
#include <sys/stat.h>

namespace win {

struct ModuleHandle {
    void* library;
};

namespace {
bool endsWithNoCase(const std::string& s, const std::string& suffix) {
    if (s.size() < suffix.size()) return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - suffix.size() + i])) != suffix[i]) return false;
    return true;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
}  // namespace

std::string ModuleFileFor(const std::string& name) {
    std::string file = name;
    if (endsWithNoCase(file, ".dll")) file = file.substr(0, file.size() - 4) + ".so";
    for (char& c : file)
        if (c == '\\') c = '/';
    return file;
}

HMODULE LoadLibrary(const std::string& name) {
    std::string file = ModuleFileFor(name);
    if (file.find('/') == std::string::npos && fileExists(file)) file = "./" + file;
    void* library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        SetLastError(file.find('/') != std::string::npos && fileExists(file) ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return new ModuleHandle{library};
}

void* GetProcAddress(HMODULE module, const char* name) {
    if (module == nullptr || name == nullptr) {
        SetLastError(kErrorInvalidHandle);
        return nullptr;
    }
    void* symbol = ::dlsym(module->library, name);
    if (symbol == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
    return symbol;
}

bool FreeLibrary(HMODULE module) {
    if (module == nullptr) return false;
    const bool closed = ::dlclose(module->library) == 0;
    delete module;
    return closed;
}

}  // namespace win
