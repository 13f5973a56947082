// The engine on its own: rows, order included, the same with any number of workers and any caps; the caps hold; a
// stop at any moment leaves a prefix of the rows and no thread behind; what a pattern is read to hold.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/pattern_text.h"
#include "engine/search_engine.h"
#include "tests/dialog_fixture.h"

namespace {

using namespace std::string_literals;

// Each row as its file, line, column, headword and text.
struct Outcome {
    std::vector<std::string> rows;
    uint64_t nLines = 0;
    int nBinary = 0;
    SearchPeaks peaks;
    bool operator==(const Outcome& o) const { return rows == o.rows && nLines == o.nLines && nBinary == o.nBinary; }
};

void Collect(const SearchOutput& out, Outcome* pOutcome)
{
    for (const CRowPiece& piece : out.pieces) {
        for (const StoredRow* row = piece.first; row != piece.first + piece.nRows; ++row) {
            std::string s = std::to_string(row->nLine) + ":" + std::to_string(row->nColumn);
            for (const char* text : {piece.file, row->headword, row->text}) {
                size_t n;
                const char* p = StoredText(text, &n);
                s.append("|").append(p, n);
            }
            pOutcome->rows.push_back(s);
        }
    }
    pOutcome->nLines += out.nLines;
    pOutcome->nBinary += out.nBinaryFiles;
}

class EngineTest : public DialogFixture {
protected:
    // One corpus: two files of many matches first, a tree of small files (more in a folder than the file caps), and
    // text in every encoding with two binary files among it.
    void SetUp() override
    {
        DialogFixture::SetUp();
        std::string many;
        for (int i = 0; i < 60000; ++i)
            many += "## head " + std::to_string(i / 100) + "\n\tfoo " + std::to_string(i) + "\n";
        Put("a/many.txt", many);
        Put("a/more.txt", many);
        const char* words[] = {"foo", "FOO", "bar", "\x95\x5c", "## head", "\tfoo\t", "x", "\x83\101foo", ""};
        for (int f = 0; f < 400; ++f) {
            std::string path = "d" + std::to_string(f % 7), text;
            for (int depth = f % 4; depth > 0; --depth)
                path += "/s" + std::to_string((f / 7 + depth) % 3);
            for (int n = f % 40; n > 0; --n)
                text += words[(f * n) % 9] + " "s + words[(f + n) % 9] + (n % 4 ? "\n" : "\r\n");
            Put(path + "/f" + std::to_string(f) + (f % 5 ? ".txt" : ".log"), text);
        }
        Put("e/a.txt", "\xEF\xBB\xBF" "foo \xE8\xA1\xA8 FOO\n## head\nfoo\n");
        Put("e/u16le.txt", "\xFF\xFE" "f\0o\0o\0\n\0"s);
        Put("e/u16be.txt", "\xFE\xFF\0f\0o\0o\0\n"s);
        Put("e/bin.dat", "foo\0foo\n"s);
        Put("e/long.txt", std::string(3u << 20, 'x') + "foo\n## head\nfoo\n");
        Put("e/sjis.txt", "\x95\x5c foo\n\x83\x41\x83\x43 foo\n");
        Put("e/f/bin2.dat", std::string(100, '\0'));
    }
    void Put(const std::string& rel, const std::string& bytes) { DialogFixture::Put("C/" + rel, bytes); }
};

SearchRequest Request(int nWorkers, const char* needle = "foo", const char* marker = "##", bool bFold = false)
{
    SearchRequest r;
    r.strDir = "C:\\";
    r.scan = {needle, std::strlen(needle), marker, std::strlen(marker), bFold, true};
    r.nWorkers = nWorkers;
    return r;
}

// Runs to the end, taking what comes out every DELAYMS or so.
Outcome RunToEnd(const SearchRequest& request, int nDelayMs = 1)
{
    Outcome o;
    CSearchEngine engine;
    engine.Start(request);
    SearchOutput out;
    for (bool bEnded = false; !bEnded; Collect(out, &o)) {
        bEnded = engine.Wait(static_cast<unsigned>(nDelayMs));
        engine.Take(&out);
    }
    o.peaks = engine.Peaks();
    return o;
}

// The caps hold, also while a slow taker lets rows pile up: a worker goes
// over them by at most one hand-over of rows before it waits.
TEST_F(EngineTest, RowsInWalkOrderWhateverTheWorkersAndCaps)
{
    const struct {
        const char *needle, *marker;
        bool bFold, bRegex;  // each worker compiles the pattern for itself
    } kCases[] = {{"foo", "##", false, false}, {"\x95\x5c", "", true, false}, {"f[o]+|x\\d{2}", "##", true, true}};
    const struct { int nWorkers; size_t nFiles, nBytes; int nDelayMs; } kRuns[] = {
        {2, kMaxFilesAhead, kMaxBytesAhead, 1}, {4, kMaxFilesAhead, kMaxBytesAhead, 1}, {16, 3, 1024, 1},
        {kMaxWorkers, 1, 1, 5}, {3, 64, 70000, 1}, {4, 8, 1u << 16, 20}, {4, 8, 1u << 20, 20}};
    for (const auto& c : kCases) {
        const SearchPattern pattern(c.needle, std::strlen(c.needle), true, false, c.bFold);
        SearchRequest request = Request(1, c.needle, c.marker, c.bFold);
        request.scan.pPattern = c.bRegex ? &pattern : nullptr;
        Outcome one = RunToEnd(request);
        EXPECT_FALSE(one.rows.empty()) << c.needle;
        EXPECT_EQ(2, one.nBinary) << c.needle;
        for (const auto& r : kRuns) {
            request.nWorkers = r.nWorkers;
            request.nMaxFilesAhead = r.nFiles;
            request.nMaxBytesAhead = r.nBytes;
            Outcome many = RunToEnd(request, r.nDelayMs);
            EXPECT_TRUE(one == many) << c.needle << ", " << r.nWorkers << " workers, " << r.nFiles << " " << r.nBytes;
            const size_t nSlack = r.nWorkers * ((64u << 10) + 64);
            EXPECT_LE(many.peaks.nFilesAhead, r.nFiles);
            EXPECT_LE(many.peaks.nBytesHeld, r.nBytes + nSlack) << r.nBytes;
            EXPECT_LE(many.peaks.nBytesOut, 2 * r.nBytes + nSlack) << r.nBytes;
        }
    }
}

// Stopped at random moments, a search ends at once, its rows are those of a whole search up to some point, and no
// thread is left: the engine's end joins them all, so a hang shows as a test that does not end.
TEST_F(EngineTest, StopsAtRandomMoments)
{
    Outcome whole = RunToEnd(Request(1));
    std::mt19937 rng(99);
    for (int i = 0; i < 1000; ++i) {
        SearchRequest request = Request(1 + static_cast<int>(rng() % 4));
        request.nMaxFilesAhead = 1 + rng() % 64;
        Outcome o;
        auto started = std::chrono::steady_clock::now();
        {
            CSearchEngine engine;
            engine.Start(request);
            unsigned nTakes = rng() % 4;
            std::this_thread::sleep_for(std::chrono::microseconds(rng() % 3000));
            SearchOutput out;
            for (unsigned t = 0; t < nTakes; ++t, Collect(out, &o)) {
                engine.Wait(0);
                engine.Take(&out);
            }
            engine.Stop();
            for (bool bEnded = false; !bEnded; Collect(out, &o)) {
                bEnded = engine.Wait(100);
                engine.Take(&out);
            }
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << i;
        ASSERT_LE(o.rows.size(), whole.rows.size()) << i;
        ASSERT_TRUE(std::equal(o.rows.begin(), o.rows.end(), whole.rows.begin())) << i;
    }
}

// An engine dropped while it runs, its rows never taken, still ends.
TEST_F(EngineTest, DroppedWhileRunning)
{
    for (int i = 0; i < 20; ++i) {
        SearchRequest request = Request(3, "foo", "");
        request.nMaxBytesAhead = 4096;
        CSearchEngine engine;
        engine.Start(request);
        std::this_thread::sleep_for(std::chrono::microseconds(i * 200));
    }
}

// What a pattern is read to hold: a literal too long or a class run too strict would leave out lines that match. ソ
// and 表 end in 5C, no backslash; a brace that makes no count stands for itself; 〜 has another form in Unicode.
TEST(Scanner, PatternNeedsHoldInEveryMatch)
{
    const struct { const char *pattern, *literal; bool bOnlyLiteral; const char* classAtom; unsigned nRun; } cases[] = {
        {"Tolvane", "Tolvane", true, "", 0}, {"a\\.b\\\\", "a.b\\", true, "", 0}, {"ソ表", "ソ表", true, "", 0},
        {"a{x", "a{x", true, "", 0}, {"x{}y", "x{}y", true, "", 0}, {"ファイル.*名", "ファイル", false, "", 0},
        {"[ァ-ヶ]+ル", "ル", false, "", 0}, {"(?:オプション|引数)を", "を", false, "", 0}, {"ab?c", "a", false, "", 0},
        {"abc*d", "ab", false, "", 0}, {"ab{2}c", "ab", false, "", 0}, {"a{,2}bc", "bc", false, "", 0},
        {"^#include", "#include", false, "", 0}, {"\\d{3,}", "", false, "\\d", 3}, {"\\w+?\\d", "", false, "\\w", 1},
        {"[ァ-ヶ]*[一-龠]{2}", "", false, "[一-龠]", 2}, {"\\s*x?", "", false, "", 0}, {"〜x", "x", false, "", 0},
        {"a|b", "", false, "", 0}, {"(?i)abc", "", false, "", 0}, {"x\\p{Han}yz", "", false, "", 0},
        {"abc\\", "", false, "", 0},
    };
    for (const auto& c : cases) {
        PatternNeeds needs = ReadPatternNeeds(c.pattern, std::strlen(c.pattern));
        EXPECT_EQ(c.literal, needs.literal) << c.pattern;
        EXPECT_EQ(c.bOnlyLiteral, needs.bOnlyLiteral) << c.pattern;
        EXPECT_EQ(c.classAtom, needs.classAtom) << c.pattern;
        EXPECT_EQ(c.nRun, needs.nClassRun) << c.pattern;
    }
}

}  // namespace
