// What several native tests share: the settings files beside the running test
// executable, removed (with the half-written files a save leaves, the backups
// of a replace, or folders a test made there), and a file's content read
// whole (kMissing when it cannot be).
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
inline std::string SettingsIni() { return SettingsFile().substr(0, SettingsFile().size() - 4) + ".ini"; }

inline void RemoveSettings()
{
    std::error_code ec;
    const std::string backups = std::filesystem::path(SettingsFile()).parent_path() / "backup";
    for (const std::string& path :
         {SettingsFile(), SettingsIni(), SettingsFile() + ".new", SettingsIni() + ".new", backups})
        std::filesystem::remove_all(path, ec);
}

const char kMissing[] = "<no file>";
inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return in ? s.str() : kMissing;
}

#endif
