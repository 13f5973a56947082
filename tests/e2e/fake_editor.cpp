// Stands in for an editor in the Windows tests: writes the command line it was started with, as UTF-16, to
// editor-command.txt beside itself and ends. The file is written aside and renamed, so a test that waits for it never
// reads half of it.
#include <windows.h>

#include <string>

int main()
{
    wchar_t self[MAX_PATH];
    std::wstring dir(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    dir.resize(dir.rfind(L'\\') + 1);
    std::wstring part = dir + L"editor-command.part", done = dir + L"editor-command.txt";
    HANDLE h = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 1;
    const wchar_t* line = GetCommandLineW();
    DWORD written = 0;
    WriteFile(h, line, static_cast<DWORD>(wcslen(line) * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(h);
    return MoveFileExW(part.c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
