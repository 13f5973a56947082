#include "settings/ini_file.h"

#include <cstring>

#include "platform/files.h"

namespace {

const char kHeading[] = "[tolvane]";

std::string Trimmed(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return std::string();
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Reads the file at PATH into *PTEXT until its end, a read error, or more
// than NMAX bytes; true when its end was reached.
bool ReadUpTo(const char* path, size_t nMax, std::string* pText)
{
    CRawFile file;
    if (!file.Open(path))
        return false;
    char buf[4096];
    long n;
    while ((n = file.Read(buf, sizeof buf)) > 0 && pText->size() <= nMax)
        pText->append(buf, static_cast<size_t>(n));
    return n == 0;
}

}  // namespace

void CIniFile::Load(const char* path)
{
    m_entries.clear();
    // A settings file has no business being large: a huge one is damaged,
    // and reading on would only cost memory.
    std::string text;
    ReadUpTo(path, (1u << 20) - 1, &text);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find('\0') != std::string::npos)
            continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = Trimmed(line.substr(0, eq));
        if (key.empty() || key[0] == ';' || key[0] == '[')
            continue;
        Set(key.c_str(), line.c_str() + eq + 1);
    }
}

bool CIniFile::Save(const char* path) const
{
    std::string text = std::string(kHeading) + "\r\n";
    for (const auto& entry : m_entries)
        text += entry.first + "=" + entry.second + "\r\n";
    // Mostly nothing has changed since the last search: reading the small
    // file back costs far less than writing it and waiting for the disk.
    std::string held;
    if (ReadUpTo(path, text.size(), &held) && held == text)
        return true;
    return WriteFileReplacing(path, text.data(), text.size());
}

CString CIniFile::Get(const char* key, const char* defaultValue) const
{
    for (const auto& entry : m_entries)
        if (entry.first == key)
            return CString(entry.second.c_str());
    return CString(defaultValue);
}

bool CIniFile::Has(const char* key) const
{
    for (const auto& entry : m_entries)
        if (entry.first == key)
            return true;
    return false;
}

void CIniFile::Set(const char* key, const char* value)
{
    std::string v(value);
    for (char& c : v)
        if (c == '\r' || c == '\n')
            c = ' ';
    for (auto& entry : m_entries) {
        if (entry.first == key) {
            entry.second = v;
            return;
        }
    }
    m_entries.emplace_back(key, v);
}

void CIniFile::Remove(const char* key)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->first == key) {
            m_entries.erase(it);
            return;
        }
    }
}

CString IniPath()
{
    CString strModule = GetModuleFilePath();
    return strModule.Left(strModule.ReverseFind('\\')) + "\\tolvane.ini";
}
