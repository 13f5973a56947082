// The engine on its own: rows, order included, the same with any number of
// workers and any caps; the caps hold; a stop at any moment leaves a prefix
// of the rows and no thread behind.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "engine/search_engine.h"
#include "platform/probe_support.h"

namespace {

typedef std::tuple<std::string, uint64_t, uint64_t, std::string, std::string> EngineRow;

struct Outcome {
    std::vector<EngineRow> rows;
    uint64_t nLines = 0;
    int nBinary = 0;
    SearchPeaks peaks;
    bool operator==(const Outcome& o) const { return rows == o.rows && nLines == o.nLines && nBinary == o.nBinary; }
};

void Collect(const SearchOutput& out, Outcome* pOutcome)
{
    for (const CRowPiece& piece : out.pieces) {
        size_t nFile, nHeadword, nText;
        const char* file = StoredText(piece.file, &nFile);
        for (size_t i = 0; i < piece.nRows; ++i) {
            const StoredRow& row = piece.first[i];
            const char* headword = StoredText(row.headword, &nHeadword);
            const char* text = StoredText(row.text, &nText);
            pOutcome->rows.emplace_back(std::string(file, nFile), row.nLine, row.nColumn,
                                        std::string(headword, nHeadword), std::string(text, nText));
        }
    }
    pOutcome->nLines += out.nLines;
    pOutcome->nBinary += out.nBinaryFiles;
}

// Four corpora: a tree of many small files, text in every encoding the scan
// reads with binary files among it, one file of many matches before many
// small ones, and more files than the file cap in one folder.
enum Corpus { kTree, kEncodings, kManyMatches, kWideFolder };

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tolvane-engine-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        m_root = tmpl;
        ProbeClearDrives();
        ProbeMapDrive('C', m_root.c_str());
    }
    void TearDown() override
    {
        ProbeClearDrives();
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

    void Put(const std::string& rel, const std::string& bytes)
    {
        std::filesystem::path p = m_root + "/" + rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }

    void Make(Corpus corpus)
    {
        std::mt19937 rng(1234 + corpus);
        const char* words[] = {"foo", "FOO", "bar", "\x95\x5c", "## head", "\tfoo\t", "x", "\x83\101foo", ""};
        auto line = [&] {
            std::string s;
            for (int w = rng() % 6; w > 0; --w)
                s += std::string(words[rng() % 9]) + " ";
            return s + (rng() % 4 == 0 ? "\r\n" : "\n");
        };
        if (corpus == kTree) {
            for (int f = 0; f < 400; ++f) {
                std::string path = "d" + std::to_string(f % 7);
                for (int depth = f % 4; depth > 0; --depth)
                    path += "/s" + std::to_string((f / 7 + depth) % 3);
                std::string text;
                for (int n = rng() % 40; n > 0; --n)
                    text += line();
                Put(path + "/f" + std::to_string(f) + (f % 5 ? ".txt" : ".log"), text);
            }
        } else if (corpus == kEncodings) {
            Put("a.txt", "\xEF\xBB\xBF" "foo \xE8\xA1\xA8 FOO\n## head\nfoo\n");
            Put("b/u16le.txt", std::string("\xFF\xFE" "f\0o\0o\0\n\0", 10));
            Put("b/u16be.txt", std::string("\xFE\xFF\0f\0o\0o\0\n", 10));
            Put("b/bin.dat", std::string("foo\0foo\n", 8));
            Put("c/long.txt", std::string(3u << 20, 'x') + "foo\n## head\nfoo\n");
            Put("c/empty.txt", "");
            Put("c/sjis.txt", "\x95\x5c foo\n\x83\x41\x83\x43 foo\n");
            Put("d/bin2.dat", std::string(100, '\0'));
        } else if (corpus == kManyMatches) {
            std::string many;
            for (int i = 0; i < 60000; ++i)
                many += "## head " + std::to_string(i / 100) + "\n\tfoo " + std::to_string(i) + "\n";
            Put("a/many.txt", many);
            for (int f = 0; f < 50; ++f)
                Put("b/f" + std::to_string(f) + ".txt", "foo " + std::to_string(f) + "\n" + line());
        } else {
            for (int f = 0; f < 300; ++f)
                Put("f" + std::to_string(f) + ".txt", f % 3 ? "foo\n" : "bar\n");
        }
    }

    SearchRequest Request(int nWorkers, const char* needle, const char* marker, bool bFold)
    {
        SearchRequest r;
        r.strDir = "C:\\";
        r.scan.needle = needle;
        r.scan.nNeedle = std::strlen(needle);
        r.scan.marker = marker;
        r.scan.nMarker = std::strlen(marker);
        r.scan.bFold = bFold;
        r.scan.bSkipBinary = true;
        r.nWorkers = nWorkers;
        return r;
    }

    // Runs to the end, taking what comes out every DELAYMS or so.
    Outcome Run(const SearchRequest& request, int nDelayMs = 1)
    {
        Outcome o;
        CSearchEngine engine;
        engine.Start(request);
        SearchOutput out;
        for (bool bEnded = false; !bEnded;) {
            bEnded = engine.Wait(static_cast<unsigned>(nDelayMs));
            engine.Take(&out);
            Collect(out, &o);
        }
        o.peaks = engine.Peaks();
        return o;
    }

    std::string m_root;
};

TEST_F(EngineTest, RowsInWalkOrderWhateverTheWorkersAndCaps)
{
    const struct {
        Corpus corpus;
        const char* needle;
        const char* marker;
        bool bFold;
        bool bRegex = false;  // each worker compiles the pattern for itself
    } kCases[] = {
        {kTree, "foo", "##", false},   {kTree, "foo", "", true},      {kTree, "\x95\x5c", "##", false},
        {kEncodings, "foo", "##", true}, {kEncodings, "\x95\x5c", "", false},
        {kManyMatches, "foo", "##", false}, {kWideFolder, "foo", "", false},
        {kManyMatches, "f[o]+|x\\d{2}", "##", true, true}, {kTree, "fo{2}", "", false, true},
    };
    const struct {
        int nWorkers;
        size_t nFiles, nBytes;
    } kRuns[] = {{2, kMaxFilesAhead, kMaxBytesAhead}, {4, kMaxFilesAhead, kMaxBytesAhead}, {16, 3, 1024},
                 {kMaxWorkers, 1, 1}, {3, 64, 70000}};
    Corpus made = kWideFolder;
    bool bMade = false;
    for (const auto& c : kCases) {
        if (!bMade || made != c.corpus) {
            TearDown();
            SetUp();
            Make(c.corpus);
            made = c.corpus;
            bMade = true;
        }
        const SearchPattern pattern(c.needle, std::strlen(c.needle), true, false, c.bFold);
        SearchRequest first = Request(1, c.needle, c.marker, c.bFold);
        first.scan.pPattern = c.bRegex ? &pattern : nullptr;
        Outcome one = Run(first);
        EXPECT_FALSE(one.rows.empty()) << c.corpus;
        for (const auto& r : kRuns) {
            SCOPED_TRACE(testing::Message() << "corpus " << c.corpus << ", " << r.nWorkers << " workers");
            SearchRequest request = Request(r.nWorkers, c.needle, c.marker, c.bFold);
            request.scan.pPattern = first.scan.pPattern;
            request.nMaxFilesAhead = r.nFiles;
            request.nMaxBytesAhead = r.nBytes;
            Outcome many = Run(request, r.nBytes < 100 ? 5 : 1);
            EXPECT_TRUE(one == many);
            EXPECT_LE(many.peaks.nFilesAhead, r.nFiles);
        }
    }
}

// The caps hold while a slow taker lets rows pile up: a worker goes over
// them by at most one hand-over of rows before it waits.
TEST_F(EngineTest, CapsBoundWhatIsHeld)
{
    Make(kManyMatches);
    Outcome whole = Run(Request(1, "foo", "##", false));
    for (size_t nCap : {size_t(1) << 16, size_t(1) << 20}) {
        SearchRequest request = Request(4, "foo", "##", false);
        request.nMaxBytesAhead = nCap;
        request.nMaxFilesAhead = 8;
        Outcome o = Run(request, 20);
        EXPECT_TRUE(whole == o);
        const size_t nSlack = 4 * ((64u << 10) + 64);
        EXPECT_LE(o.peaks.nFilesAhead, 8u);
        EXPECT_LE(o.peaks.nBytesHeld, nCap + nSlack) << nCap;
        EXPECT_LE(o.peaks.nBytesOut, 2 * nCap + nSlack) << nCap;
    }
}

// Stopped at random moments, a search ends at once, its rows are those of a
// whole search up to some point, and no thread is left: the engine's end
// joins them all, so a hang shows as a test that does not end.
TEST_F(EngineTest, StopsAtRandomMoments)
{
    Make(kTree);
    Outcome whole = Run(Request(1, "foo", "##", false));
    std::mt19937 rng(99);
    for (int i = 0; i < 1000; ++i) {
        SearchRequest request = Request(1 + static_cast<int>(rng() % 4), "foo", "##", false);
        request.nMaxFilesAhead = 1 + rng() % 64;
        Outcome o;
        auto started = std::chrono::steady_clock::now();
        {
            CSearchEngine engine;
            engine.Start(request);
            unsigned nTakes = rng() % 4;
            std::this_thread::sleep_for(std::chrono::microseconds(rng() % 3000));
            SearchOutput out;
            for (unsigned t = 0; t < nTakes; ++t) {
                engine.Wait(0);
                engine.Take(&out);
                Collect(out, &o);
            }
            engine.Stop();
            for (bool bEnded = false; !bEnded;) {
                bEnded = engine.Wait(100);
                engine.Take(&out);
                Collect(out, &o);
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
    Make(kManyMatches);
    for (int i = 0; i < 20; ++i) {
        SearchRequest request = Request(3, "foo", "", false);
        request.nMaxBytesAhead = 4096;
        CSearchEngine engine;
        engine.Start(request);
        std::this_thread::sleep_for(std::chrono::microseconds(i * 200));
    }
}

}  // namespace
