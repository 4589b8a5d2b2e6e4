// The installed library's own data folder. Programs that load the module
// from an installation of their own (<prefix>/lib) need not live in
// <prefix>/bin, so the executable's folder says nothing about where the
// configuration, patterns and catalogues are: the library's folder does.

#include "contracts/data/zun_files.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <dlfcn.h>

#ifndef ZUN_LIB_TO_DATA
#define ZUN_LIB_TO_DATA "../share/zun"
#endif

namespace {

std::filesystem::path libraryFolder()
{
    Dl_info info{};
    static const int anchor = 0;
    if (!dladdr(&anchor, &info) || !info.dli_fname)
        return {};
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::filesystem::path() : file.parent_path();
}

// Runs once when the library is loaded. ZUN_DATA_PATH names the data
// folders when it is set: a user or a test that points the module at other
// files must not be overruled by the installation.
struct DataFolderRegistration {
    DataFolderRegistration()
    {
        const char* envPath = std::getenv("ZUN_DATA_PATH");
        if (envPath && *envPath)
            return;
        const std::filesystem::path folder = libraryFolder();
        if (folder.empty())
            return;
        const std::filesystem::path data = (folder / ZUN_LIB_TO_DATA).lexically_normal();
        std::error_code ec;
        if (std::filesystem::is_directory(data, ec))
            ZUN::dataDirAdd(CZunString::fromUtf8(data.string()));
    }
};

const DataFolderRegistration registration;

} // namespace
