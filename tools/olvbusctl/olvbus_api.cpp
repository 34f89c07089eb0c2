#include "olvbus_api.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>

#include <filesystem>
#endif

namespace olvbusctl {
namespace {

#ifdef _WIN32
void* OpenModule(const char* name) { return reinterpret_cast<void*>(LoadLibraryA(name)); }
// LoadLibrary looks in the tool's own folder first.
std::vector<std::string> Candidates(const char* name) { return {name}; }
void* FindSymbol(void* module, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}
void CloseModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }
std::string LoadError() { return "error " + std::to_string(GetLastError()); }
#else
void* OpenModule(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }
void* FindSymbol(void* module, const char* name) { return dlsym(module, name); }
void CloseModule(void* module) { dlclose(module); }

// The library beside the tool first: installed, ../lib; in the build tree,
// the library's build directory. A bare name would rely on the caller's run
// path, and under the sanitizers dlopen is called from their runtime, whose
// run path is not ours.
std::vector<std::string> Candidates(const char* name)
{
    std::vector<std::string> candidates;
    std::error_code error;
    const std::filesystem::path tool = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        for (const char* relative : {OLVBUSCTL_INSTALLED_LIBRARY_DIR, OLVBUSCTL_BUILT_LIBRARY_DIR}) {
            const std::filesystem::path path = tool.parent_path() / relative / name;
            if (std::filesystem::exists(path, error)) {
                candidates.push_back(path.string());
            }
        }
    }
    candidates.emplace_back(name);
    return candidates;
}
std::string LoadError()
{
    const char* text = dlerror();
    return text != nullptr ? text : "unknown error";
}
#endif

}  // namespace

const char* LibraryFileName()
{
#ifdef _WIN32
    return "olvbus.dll";
#else
    return "libolvbus.so.1";
#endif
}

bool LoadedLibrary::Load(std::string& error)
{
    if (module_ != nullptr) {
        return true;
    }
    void* module = nullptr;
    for (const std::string& candidate : Candidates(LibraryFileName())) {
        module = OpenModule(candidate.c_str());
        if (module != nullptr) {
            break;
        }
    }
    if (module == nullptr) {
        error = std::string("cannot load ") + LibraryFileName() + ": " + LoadError();
        return false;
    }
    OlvbusApi api;
    std::string missing;
    // Object and function pointers share a representation on every platform
    // the library ships for; dlsym and GetProcAddress rely on it too.
#define OLVBUSCTL_BIND(name)                                                      \
    api.name = reinterpret_cast<decltype(&::name)>(FindSymbol(module, #name));    \
    if (api.name == nullptr && missing.empty()) {                                 \
        missing = #name;                                                          \
    }
    OLVBUSCTL_EXPORTS(OLVBUSCTL_BIND)
#undef OLVBUSCTL_BIND
    if (!missing.empty()) {
        CloseModule(module);
        error = std::string(LibraryFileName()) + " has no export " + missing;
        return false;
    }
    module_ = module;
    api_ = api;
    return true;
}

void LoadedLibrary::Unload()
{
    if (module_ != nullptr) {
        CloseModule(module_);
        module_ = nullptr;
        api_ = OlvbusApi{};
    }
}

}  // namespace olvbusctl
