// What several native tests share: the settings files lie beside the
// running test executable, each test starts and ends without them, and a
// file's content is read whole.
#ifndef TOLVANE_TESTS_TEST_SUPPORT_H
#define TOLVANE_TESTS_TEST_SUPPORT_H

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

inline std::string SettingsFile()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/tolvane.dat";
}

// Also the half-written file a save leaves while it runs; either may be a
// folder where a test made one to block the save.
inline void RemoveSettings()
{
    std::error_code ec;
    std::string ini = SettingsFile().substr(0, SettingsFile().size() - 4) + ".ini";
    for (const std::string& path : {SettingsFile(), ini}) {
        std::filesystem::remove_all(path, ec);
        std::filesystem::remove_all(path + ".new", ec);
    }
}

// The whole content of a file, or kMissing when it cannot be read.
const char kMissing[] = "<no file>";
inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return kMissing;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

#endif
