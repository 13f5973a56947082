// The scan's candidate filter must never drop a real match: without case it
// admits every byte that folds onto the text's first and last byte, which
// only holds if the folding table is covered whole.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/cstring.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "search/scanner.h"

namespace {

class Collect : public ScanSink {
public:
    void OnMatch(const char* line, size_t n, const char*, size_t) override { lines.emplace_back(line, n); }
    void OnLines(uint64_t) override {}
    std::vector<std::string> lines;
};

std::string Code(unsigned short c) { return std::string{static_cast<char>(c >> 8), static_cast<char>(c & 0xff)}; }

TEST(Scanner, EveryFoldedCharacterIsFoundWithoutCase)
{
    char path[] = "/tmp/tolvane-scan-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    ScanBuffers buffers;
    for (size_t i = 0; i < MbcsFoldTableSize(); ++i) {
        unsigned short from, to;
        MbcsFoldPair(i, &from, &to);
        // Alone, and between other characters, with a line before that does
        // not match, in the file as it stands on disk.
        std::string line = "x" + Code(from) + "\x82\xa0" + Code(from) + "y";
        FILE* f = std::fopen(path, "wb");
        std::fputs(("other\r\n" + line + "\r\n").c_str(), f);
        std::fclose(f);
        for (const std::string& text : {Code(to), "x" + Code(to), Code(to) + "\x82\xa0" + Code(to) + "y"}) {
            CString needle(text.c_str());
            needle.MakeLower();
            ScanOptions options = {needle, static_cast<size_t>(needle.GetLength()), "", 0, true};
            CRawFile file;
            ASSERT_TRUE(file.Open(path));
            Collect sink;
            EXPECT_EQ(1, ScanFile(file, options, buffers, sink)) << std::hex << from << " -> " << to;
            EXPECT_EQ(std::vector<std::string>{line}, sink.lines) << std::hex << from;
        }
    }
    std::remove(path);
}

}  // namespace
