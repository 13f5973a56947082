// File functions written once over the two sides' own.
#include "platform/files.h"

bool ReadWholeFile(const char* path, std::string* out)
{
    CRawFile file;
    if (!file.Open(path))
        return false;
    // Room for the size the file has now: a file that grows meanwhile gets
    // more, a block at a time.
    out->assign(static_cast<size_t>(file.Stamp().nSize), '\0');
    size_t have = 0;
    for (;;) {
        if (have == out->size())
            out->resize(have + (64u << 10));
        long n = file.Read(&(*out)[have], out->size() - have);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        have += static_cast<size_t>(n);
    }
    out->resize(have);
    return true;
}

CString WithSeparator(const CString& dir)
{
    int nLast = dir.ReverseFind('\\');
    if (nLast >= 0 && nLast == dir.GetLength() - 1)
        return dir;
    return dir + "\\";
}
