// The floor for a whole-tree search under Wine: the same listing call as the
// program, every file opened and read once, line ends counted, nothing more.
//   bare_walk.exe [--identity] FOLDER   prints folders, files, lines
// --identity also opens every folder and reads its volume and file id, what a
// loop guard asking for each folder's identity costs.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

unsigned long long g_folders, g_files, g_lines, g_ids;
bool g_bIdentity;
std::vector<char> g_buffer(1 << 18);

void Walk(const std::wstring& dir)
{
    ++g_folders;
    if (g_bIdentity) {
        HANDLE d = CreateFileW(dir.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        BY_HANDLE_FILE_INFORMATION info;
        if (d != INVALID_HANDLE_VALUE) {
            g_ids += GetFileInformationByHandle(d, &info) != FALSE;
            CloseHandle(d);
        }
    }
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW((dir + L"\\*.*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = fd.cFileName;
        std::wstring path = dir + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != L"." && name != L"..")
                Walk(path);
            continue;
        }
        HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (f == INVALID_HANDLE_VALUE)
            continue;
        ++g_files;
        DWORD n = 0;
        while (ReadFile(f, g_buffer.data(), static_cast<DWORD>(g_buffer.size()), &n, nullptr) && n > 0)
            for (DWORD i = 0; i < n; ++i)
                g_lines += g_buffer[i] == '\n';
        CloseHandle(f);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    g_bIdentity = argc == 3 && std::wstring(argv[1]) == L"--identity";
    if (argc != 2 + g_bIdentity)
        return 2;
    std::wstring root = argv[argc - 1];
    while (!root.empty() && root.back() == L'\\')
        root.pop_back();
    Walk(L"\\\\?\\" + root);
    std::printf("folders %llu files %llu lines %llu", g_folders, g_files, g_lines);
    if (g_bIdentity)
        std::printf(" identities %llu", g_ids);
    std::printf("\n");
    return 0;
}
