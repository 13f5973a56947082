// The scan's candidate filter must never drop a real match: without case it
// admits every byte that folds onto the text's first and last byte, which
// only holds if the folding table is covered whole.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "platform/cstring.h"
#include "platform/files.h"
#include "text/mbcs.h"
#include "engine/scanner.h"

namespace {

class Collect : public ScanSink {
public:
    void OnMatch(const char* line, size_t n, const char*, size_t, uint64_t, uint64_t) override
    {
        lines.emplace_back(line, n);
    }
    void OnLines(uint64_t) override {}
    std::vector<std::string> lines;
};

std::string Code(unsigned short c) { return std::string{static_cast<char>(c >> 8), static_cast<char>(c & 0xff)}; }

// Writes LINE after a line that does not match into the file at PATH, as it
// stands on disk, and expects a search without case for the code page 932
// text LOWER, alone and between other characters, to find LINE alone, shown
// as SHOWN.
void ExpectFoundWithoutCase(const char* path, const std::string& line, const std::string& lower,
                            const std::string& shown, ScanBuffers& buffers)
{
    FILE* f = std::fopen(path, "wb");
    std::fputs(("12345\r\n" + line + "\r\n").c_str(), f);
    std::fclose(f);
    for (const std::string& text : {lower, "x" + lower, lower + "\x82\xa0" + lower + "y"}) {
        CString needle(text.c_str());
        needle.MakeLower();
        ScanOptions options = {needle, static_cast<size_t>(needle.GetLength()), "", 0, true};
        CRawFile file;
        ASSERT_TRUE(file.Open(path));
        Collect sink;
        EXPECT_EQ(1, ScanFile(file, options, buffers, sink));
        EXPECT_EQ(std::vector<std::string>{shown}, sink.lines);
    }
}

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
        SCOPED_TRACE(testing::Message() << std::hex << from << " -> " << to);
        std::string line = "x" + Code(from) + "\x82\xa0" + Code(from) + "y";
        ExpectFoundWithoutCase(path, line, Code(to), line, buffers);
    }
    std::remove(path);
}

TEST(Scanner, LinesAroundThePieceLimitAreCutTheSameWhereverTheyStart)
{
    // Whether a line is cut must not depend on where the reads happen to
    // end: a line of kMaxLinePiece bytes is whole at any offset in the file.
    char path[] = "/tmp/tolvane-scan-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    const std::string piece(kMaxLinePiece, 'x');
    struct Case {
        const char* name;
        std::string line;  // one line, its line end included
        std::vector<size_t> lengths;  // of the lines the scan hands over
    };
    const Case cases[] = {
        {"a whole piece", piece + "\n", {kMaxLinePiece}},
        {"a whole piece before CR LF", piece.substr(1) + "\r\n", {kMaxLinePiece - 1}},
        {"one byte more", piece + "x\n", {kMaxLinePiece, 1}},
        {"a CR that is no line end", piece.substr(1) + "\rx\n", {kMaxLinePiece, 1}},
        {"a double-byte character across the limit", piece.substr(1) + "\x82\xa0x\n", {kMaxLinePiece - 1, 3}},
        {"no line end, a whole piece", piece, {kMaxLinePiece}},
        {"no line end, ending in CR", piece.substr(1) + "\r", {kMaxLinePiece}},
    };
    ScanBuffers buffers;
    for (const Case& c : cases) {
        for (size_t offset : {size_t(0), size_t(1), size_t(4095), size_t(65536), size_t(262143)}) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(offset));
            std::string before(offset, 'y');
            if (offset > 0)
                before.back() = '\n';
            FILE* f = std::fopen(path, "wb");
            std::fwrite(before.data(), 1, before.size(), f);
            std::fwrite(c.line.data(), 1, c.line.size(), f);
            std::fclose(f);
            // Every line holds x or y.
            class Lengths : public ScanSink {
            public:
                void OnMatch(const char*, size_t n, const char*, size_t, uint64_t, uint64_t) override
                {
                    lengths.push_back(n);
                }
                void OnLines(uint64_t n) override { lines += n; }
                std::vector<size_t> lengths;
                uint64_t lines = 0;
            };
            for (const char* needle : {"x", "y"}) {
                CRawFile file;
                ASSERT_TRUE(file.Open(path));
                ScanOptions options = {needle, 1, "", 0, false};
                Lengths sink;
                ScanFile(file, options, buffers, sink);
                if (*needle == 'x') {
                    EXPECT_EQ(c.lengths, sink.lengths);
                }
                EXPECT_EQ(c.lengths.size() + (offset > 0 ? 1 : 0), sink.lines);
            }
        }
    }
    std::remove(path);
}

std::string Utf8(unsigned cp)
{
    char bytes[4];
    return std::string(bytes, PutUtf8(bytes, cp));
}

// The same in a UTF-8 file: every pair the double-byte table folds (as code
// points) is folded there too, with its UTF-8 length kept, and the row shows
// the line in code page 932.
TEST(Scanner, EveryFoldedCharacterIsFoundWithoutCaseInUtf8)
{
    char path[] = "/tmp/tolvane-scan-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::set<std::pair<unsigned, unsigned>> folds;
    for (size_t i = 0; i < Utf8FoldTableSize(); ++i) {
        unsigned from, to;
        Utf8FoldPair(i, &from, &to);
        EXPECT_EQ(Utf8(from).size(), Utf8(to).size()) << std::hex << from;
        folds.insert({from, to});
    }
    for (size_t i = 0; i < MbcsFoldTableSize(); ++i) {
        unsigned short from, to;
        MbcsFoldPair(i, &from, &to);
        unsigned uFrom, uTo;
        ASSERT_TRUE(Cp932ToUnicode(from, &uFrom) && Cp932ToUnicode(to, &uTo)) << std::hex << from;
        if (uFrom != uTo) {
            EXPECT_EQ(1u, folds.count({uFrom, uTo})) << std::hex << from << " -> " << to << " is not folded";
        }
    }
    ScanBuffers buffers;
    for (auto [from, to] : folds) {
        std::string line = "x" + Utf8(from) + "\xE3\x81\x82" + Utf8(from) + "y";
        char shown[64];
        std::string want(shown, Utf8To932(line.data(), line.size(), shown));
        ASSERT_EQ(std::string::npos, want.find('?')) << std::hex << from;
        unsigned short code;
        ASSERT_TRUE(UnicodeTo932(to, &code));
        std::string lower = code > 0xFF ? Code(code) : std::string(1, static_cast<char>(code));
        SCOPED_TRACE(testing::Message() << std::hex << "U+" << from << " -> U+" << to);
        ExpectFoundWithoutCase(path, line, lower, want, buffers);
    }
    std::remove(path);
}

}  // namespace

namespace {

class Binary : public ScanSink {
public:
    void OnMatch(const char*, size_t, const char*, size_t, uint64_t, uint64_t) override { ++matches; }
    void OnLines(uint64_t n) override { lines += n; }
    void OnBinary() override { binary = true; }
    int matches = 0;
    uint64_t lines = 0;
    bool binary = false;
};

std::string Utf16(const std::string& ascii, bool bigEndian)
{
    std::string out;
    for (char c : ascii)
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

TEST(Scanner, BinaryFilesAreThoseWithANulNearTheirStart)
{
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string bytes;
        bool binary;
        int matches;  // read as text
    };
    const Case cases[] = {
        {"NUL at byte 8,191", std::string(8191, 'x') + "\0\nfoo\n"s, true, 1},
        {"NUL at byte 8,192", std::string(8192, 'x') + "\0\nfoo\n"s, false, 1},
        {"8,192 bytes, the last a NUL", std::string(8191, 'x') + "\0"s, true, 0},
        {"8,192 bytes without a NUL", "foo" + std::string(8188, 'x') + "\n", false, 1},
        {"NUL first", "\0foo\n"s, true, 0},
        {"empty", "", false, 0},
        {"UTF-16 LE with its mark", "\xff\xfe" + Utf16("foo\n", false), false, 1},
        {"UTF-16 BE with its mark", "\xfe\xff" + Utf16("foo\n", true), false, 1},
        {"UTF-16 without a mark", Utf16("foo\n", false), true, 0},
        {"UTF-8 mark, then a NUL", "\xef\xbb\xbf" "foo\0\n"s, true, 1},
    };
    char path[] = "/tmp/tolvane-scan-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    ScanBuffers buffers;
    size_t saved = g_nScanReadBlock;
    for (const Case& c : cases) {
        FILE* f = std::fopen(path, "wb");
        std::fwrite(c.bytes.data(), 1, c.bytes.size(), f);
        std::fclose(f);
        for (size_t block : {saved, size_t(1), size_t(4095)}) {
            for (bool skip : {true, false}) {
                SCOPED_TRACE(testing::Message() << c.name << ", blocks of " << block << (skip ? ", skipping" : ""));
                g_nScanReadBlock = block;
                ScanOptions options = {"foo", 3, "", 0, false};
                options.bSkipBinary = skip;
                CRawFile file;
                ASSERT_TRUE(file.Open(path));
                Binary sink;
                int n = ScanFile(file, options, buffers, sink);
                bool binary = skip && c.binary;
                EXPECT_EQ(binary, sink.binary);
                EXPECT_EQ(binary ? 0 : c.matches, n);
                EXPECT_EQ(sink.matches, n);
                if (binary) {
                    EXPECT_EQ(0u, sink.lines) << "nothing of a binary file is read as lines";
                }
            }
        }
    }
    g_nScanReadBlock = saved;
    std::remove(path);
}

}  // namespace
