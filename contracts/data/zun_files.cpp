#include "contracts/data/zun_files.h"

#include "contracts/data/zun_msg.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace ZUN {

namespace {

std::mutex& dirsLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<std::string>& addedDirs()
{
    static std::vector<std::string> dirs;
    return dirs;
}

// Folders are compared as written, so "/a/b/" and "/a/b" must become one.
std::string withoutTrailingSlash(std::string dir)
{
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

std::string envText(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string installedDataDir()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return {};
    return (exe.parent_path() / ".." / "share" / "zun").lexically_normal().string();
}

void appendUnique(std::vector<std::string>& dirs, std::string dir)
{
    dir = withoutTrailingSlash(std::move(dir));
    if (dir.empty())
        return;
    for (const std::string& known : dirs)
        if (known == dir)
            return;
    dirs.push_back(std::move(dir));
}

std::vector<std::string> searchPath()
{
    std::vector<std::string> dirs;
    {
        const std::lock_guard<std::mutex> guard(dirsLock());
        for (const std::string& dir : addedDirs())
            appendUnique(dirs, dir);
    }
    const std::string envPath = envText("ZUN_DATA_PATH");
    size_t start = 0;
    while (start <= envPath.size()) {
        size_t stop = envPath.find(':', start);
        if (stop == std::string::npos)
            stop = envPath.size();
        appendUnique(dirs, envPath.substr(start, stop - start));
        start = stop + 1;
    }
    appendUnique(dirs, installedDataDir());
#ifdef ZUN_BUILD_DATA_DIR
    appendUnique(dirs, ZUN_BUILD_DATA_DIR);
#endif
#ifdef ZUN_SOURCE_RES_DIR
    appendUnique(dirs, ZUN_SOURCE_RES_DIR);
#endif
    return dirs;
}

std::string homeDir()
{
    std::string home = envText("HOME");
    if (!home.empty())
        return home;
    // Services and cron jobs may run without HOME; the password entry still
    // knows where the user's files are.
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

fs::path settingsDir()
{
    if (std::string dir = envText("ZUN_SETTINGS_DIR"); !dir.empty())
        return dir;
    // The XDG rules say a relative XDG_CONFIG_HOME is invalid and must be
    // ignored; a relative one would scatter settings over working folders.
    if (std::string config = envText("XDG_CONFIG_HOME"); !config.empty() && config.front() == '/')
        return fs::path(config) / "zun";
    return fs::path(homeDir()) / ".config" / "zun";
}

bool endsWithQch(const CZunString& name)
{
    if (name.len() < 4)
        return false;
    CZunString ext = name.right(4);
    return ext.makeLower() == L".qch";
}

bool isWebAddress(const CZunString& name)
{
    CZunString start = name.left(8);
    start.makeLower();
    return start.left(7) == L"http://" || start == L"https://";
}

// The web address a ".url" file holds: its first line that is not empty,
// without surrounding blanks. Empty when that line is no web address.
CZunString webAddressIn(const CZunString& file)
{
    std::ifstream in(file.toUtf8());
    std::string line;
    while (std::getline(in, line)) {
        CZunString address = CZunString::fromUtf8(line);
        if (address.trim().isEmpty())
            continue;
        return isWebAddress(address) ? address : CZunString();
    }
    return {};
}

} // namespace

void dataDirAdd(const CZunString& dir)
{
    std::string path = withoutTrailingSlash(dir.toUtf8());
    if (path.empty())
        return;
    const std::lock_guard<std::mutex> guard(dirsLock());
    for (const std::string& known : addedDirs())
        if (known == path)
            return;
    addedDirs().push_back(std::move(path));
}

bool dataDirRemove(const CZunString& dir)
{
    const std::string path = withoutTrailingSlash(dir.toUtf8());
    const std::lock_guard<std::mutex> guard(dirsLock());
    auto& dirs = addedDirs();
    for (auto it = dirs.begin(); it != dirs.end(); ++it) {
        if (*it == path) {
            dirs.erase(it);
            return true;
        }
    }
    return false;
}

CZunArrayTempl<CZunString> dataDirs()
{
    CZunArrayTempl<CZunString> result;
    for (const std::string& dir : searchPath())
        result.append(CZunString::fromUtf8(dir));
    return result;
}

CZunString fileFind(const CZunString& name)
{
    if (name.isEmpty())
        return {};
    const fs::path wanted(name.toUtf8());
    if (wanted.is_absolute())
        return name;
    std::error_code ec;
    if (fs::exists(wanted, ec))
        return name;
    for (const std::string& dir : searchPath()) {
        const fs::path candidate = fs::path(dir) / wanted;
        if (fs::exists(candidate, ec))
            return CZunString::fromUtf8(candidate.string());
    }
    return {};
}

CZunString appFileName(const CZunString& name)
{
    std::string relative = name.toUtf8();
    relative.erase(0, relative.find_first_not_of('/'));
    const fs::path dir = settingsDir();
    const fs::path file = relative.empty() ? dir : dir / relative;
    // A failure to create the folder shows up when the caller writes the
    // file, with the file's name, which says more than anything we could
    // report here.
    std::error_code ec;
    fs::create_directories(relative.empty() ? file : file.parent_path(), ec);
    return CZunString::fromUtf8(file.string());
}

CZunString help_find(const CZunString& helpName)
{
    if (helpName.isEmpty())
        return {};
    if (isWebAddress(helpName))
        return helpName;
    std::error_code ec;
    if (const fs::path given(helpName.toUtf8()); given.is_absolute())
        return fs::is_regular_file(given, ec) ? helpName : CZunString();

    const bool withExt = endsWithQch(helpName);
    const std::string name = helpName.toUtf8();
    const std::string file = withExt ? name : name + ".qch";
    const std::string lang = msgLangSet(nullptr).toUtf8();
    // Folder by folder, so that help a caller brings wins over the
    // installed one as every other data file does; within a folder the
    // user's language first.
    for (const std::string& dir : searchPath()) {
        const fs::path help = fs::path(dir) / "help";
        if (!lang.empty() && fs::is_regular_file(help / lang / file, ec))
            return CZunString::fromUtf8((help / lang / file).string());
        if (fs::is_regular_file(help / file, ec))
            return CZunString::fromUtf8((help / file).string());
        if (!withExt && fs::is_regular_file(help / (name + ".url"), ec))
            return webAddressIn(CZunString::fromUtf8((help / (name + ".url")).string()));
    }
    return {};
}

} // namespace ZUN
