#pragma once

// A scratch folder and an environment variable that undo themselves, so a
// test binary run as a whole leaves each test the state it would have alone.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

class CTestTmpDir {
public:
    CTestTmpDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zun_test_XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a scratch folder");
        m_path = pattern;
    }
    ~CTestTmpDir() { std::error_code ec; std::filesystem::remove_all(m_path, ec); }
    CTestTmpDir(const CTestTmpDir&) = delete;
    CTestTmpDir& operator=(const CTestTmpDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string str() const { return m_path.string(); }

    // Writes a file below the folder, creating sub-folders; returns its path.
    std::filesystem::path write(const std::string& relative, const std::string& content) const
    {
        const std::filesystem::path file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }

private:
    std::filesystem::path m_path;
};

// Sets (nullptr: removes) an environment variable for one scope.
class CTestEnv {
public:
    CTestEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        set(value);
    }
    ~CTestEnv() { set(m_old ? m_old->c_str() : nullptr); }
    CTestEnv(const CTestEnv&) = delete;
    CTestEnv& operator=(const CTestEnv&) = delete;

    void set(const char* value) const { value ? setenv(m_name.c_str(), value, 1) : unsetenv(m_name.c_str()); }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};
