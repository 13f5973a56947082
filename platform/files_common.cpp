// File functions written once over the two sides' own.
#include "platform/files.h"

bool ReadWholeFile(const char* path, std::string* out)
{
    CRawFile file;
    if (!file.Open(path))
        return false;
    out->clear();
    const size_t kBlock = 1u << 20;
    for (;;) {
        size_t had = out->size();
        out->resize(had + kBlock);
        long n = file.Read(&(*out)[had], kBlock);
        if (n < 0)
            return false;
        out->resize(had + static_cast<size_t>(n));
        if (n == 0)
            return true;
    }
}
