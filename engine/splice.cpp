#include "engine/splice.h"

#include <algorithm>
#include <cstring>

#include "engine/file_text.h"
#include "engine/pattern.h"
#include "engine/pattern_text.h"
#include "text/bytesearch.h"
#include "text/mbcs.h"

namespace {

// One part of the replacement: text of its own, or a group of the match.
struct Piece {
    std::string text;  // code page 932
    int nGroup;        // -1 for text
    std::string encoded[kIso2022Jp];  // the text in each encoding it is written in
};

// A match in a view, and its groups: start and end pairs, -1 when unset.
struct Match {
    size_t start, end;
    std::vector<long> groups;
};

}  // namespace

struct CSplicer::Impl {
    ReplaceRule rule;
    CString error;
    std::vector<Piece> pieces;
    std::unique_ptr<SearchPattern> pattern;         // regex or whole word
    std::unique_ptr<SearchPattern> variantPattern;  // plain text with a variant form, in Unicode files
    PatternMatcher matcher;
    std::string needle932, needleUtf8;  // folded when case is not told apart
    bool bNeedleUtf8 = false;
    std::string prepared, folded;
    std::vector<size_t> preparedFrom;
    std::vector<long> groups;
    LineView spansView;
    std::vector<Match> spansFound;

    void ParseReplacement();
    bool FindAll(const LineView& v, bool bUtf8, std::vector<Match>* pMatches);
    bool FindByPattern(const SearchPattern& p, const LineView& v, bool bUtf8, std::vector<Match>* pMatches);
    void FindPlain(const LineView& v, bool bUtf8, std::vector<Match>* pMatches);
};

CSplicer::CSplicer(const ReplaceRule& rule) : m(new Impl)
{
    m->rule = rule;
    const CString& s = rule.strSearch;
    size_t n = static_cast<size_t>(s.GetLength());
    if (rule.bRegex || rule.bWholeWord) {
        m->pattern.reset(new SearchPattern(s, n, rule.bRegex, rule.bWholeWord, rule.bFold));
        std::string error = m->pattern->Check();
        if (!error.empty()) {
            m->error = "正規表現が正しくありません。\n" + CString(error.c_str());
            return;
        }
        m->matcher.Use(*m->pattern);
    } else if (HoldsVariantForm(s, n)) {
        m->variantPattern.reset(new SearchPattern(s, n, false, false, rule.bFold));
    }
    m->needle932.assign(s, n);
    if (rule.bFold && n > 0)
        MbcsMakeLower(&m->needle932[0], n);
    m->bNeedleUtf8 = Cp932ToUtf8(s, n, &m->needleUtf8);
    if (rule.bFold && !m->needleUtf8.empty())
        Utf8MakeLower(&m->needleUtf8[0], m->needleUtf8.size());
    if (std::strpbrk(rule.strReplacement, "\r\n")) {
        m->error = "置換後の文字列に改行は使えません。";
        return;
    }
    m->ParseReplacement();
}

CSplicer::~CSplicer() {}

const CString& CSplicer::Error() const { return m->error; }
const ReplaceRule& CSplicer::Rule() const { return m->rule; }

// $0-$9 and ${name} are groups and $$ is a "$" in a regular expression's
// replacement; any other "$" stands for itself, as does all of a plain one.
void CSplicer::Impl::ParseReplacement()
{
    const std::string r(rule.strReplacement);
    const unsigned char* t = reinterpret_cast<const unsigned char*>(r.data());
    Piece text{std::string(), -1, {}};
    auto flush = [&] {
        if (!text.text.empty())
            pieces.push_back(text);
        text.text.clear();
    };
    for (size_t i = 0; i < r.size();) {
        size_t len = CharLength932(t, i, r.size());
        if (!rule.bRegex || t[i] != '$' || i + 1 >= r.size()) {
            text.text.append(r, i, len);
            i += len;
            continue;
        }
        unsigned char c = t[i + 1];
        int nGroup = -1;
        size_t next = i + 2;
        std::string name;
        if (c == '$') {
            text.text += '$';
            i = next;
            continue;
        }
        if (c >= '0' && c <= '9') {
            nGroup = c - '0';
            name.assign(1, static_cast<char>(c));
        } else if (c == '{') {
            size_t close = i + 2;
            while (close < r.size() && t[close] != '}')
                close += CharLength932(t, close, r.size());
            if (close >= r.size()) {
                text.text.append(r, i, len);
                i += len;
                continue;
            }
            name = r.substr(i + 2, close - (i + 2));
            next = close + 1;
            bool bDigits = !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
            std::string utf8;
            if (bDigits && name.size() < 6)
                nGroup = std::stoi(name);
            else if (Cp932ToUtf8(name.data(), name.size(), &utf8) && !utf8.empty())
                nGroup = matcher.GroupNumber(utf8);
            if (!bDigits && nGroup < 0) {
                error.Format("置換後の文字列が正しくありません。\n${%s} という名前のグループがありません。", name.c_str());
                return;
            }
        } else {
            text.text.append(r, i, len);
            i += len;
            continue;
        }
        if (nGroup > matcher.GroupCount()) {
            error.Format("置換後の文字列が正しくありません。\n$%s に当たるグループがありません。",
                         c == '{' ? ("{" + name + "}").c_str() : name.c_str());
            return;
        }
        flush();
        pieces.push_back(Piece{std::string(), nGroup, {}});
        i = next;
    }
    flush();
    for (Piece& p : pieces)
        for (int e = kCp932; e < kIso2022Jp; ++e)
            AppendEncoded(p.text, static_cast<Encoding>(e), &p.encoded[e]);
}

bool CSplicer::Impl::FindAll(const LineView& v, bool bUtf8, std::vector<Match>* pMatches)
{
    pMatches->clear();
    if (pattern)
        return FindByPattern(*pattern, v, bUtf8, pMatches);
    if (bUtf8 && variantPattern)
        return FindByPattern(*variantPattern, v, bUtf8, pMatches);
    FindPlain(v, bUtf8, pMatches);
    return true;
}

// Matches one after another, as a global replace takes them: an empty match
// right where the last one ended is passed over. False when the library
// gave up on the line.
bool CSplicer::Impl::FindByPattern(const SearchPattern& p, const LineView& v, bool bUtf8,
                                   std::vector<Match>* pMatches)
{
    matcher.Use(p);
    PrepareLineMapped(v.text.data(), v.text.size(), bUtf8, p.Fold(), prepared, &preparedFrom);
    size_t n = prepared.size();
    long lastEnd = -1;
    for (size_t from = 0; from <= n;) {
        size_t start;
        PatternMatcher::Result r = matcher.FindFrom(prepared.data(), n, from, &start, &groups);
        if (r == PatternMatcher::kGaveUp)
            return false;
        if (r == PatternMatcher::kNoMatch)
            break;
        size_t end = static_cast<size_t>(groups[1]);
        size_t step = 1;
        while (start + step < n && (static_cast<unsigned char>(prepared[start + step]) & 0xC0) == 0x80)
            ++step;
        if (end == start && static_cast<long>(start) == lastEnd) {
            from = start + step;
            continue;
        }
        Match m{preparedFrom[start], preparedFrom[end], {}};
        for (long g : groups)
            m.groups.push_back(g < 0 ? -1 : static_cast<long>(preparedFrom[static_cast<size_t>(g)]));
        pMatches->push_back(std::move(m));
        lastEnd = static_cast<long>(end);
        from = end > start ? end : start + step;
    }
    return true;
}

// The search string itself on character boundaries, case folded alike on
// both sides when it is not told apart; folding keeps every length.
void CSplicer::Impl::FindPlain(const LineView& v, bool bUtf8, std::vector<Match>* pMatches)
{
    const std::string& needle = bUtf8 ? needleUtf8 : needle932;
    if (needle.empty() || (bUtf8 && !bNeedleUtf8))
        return;
    folded = v.text;
    if (rule.bFold && !folded.empty())
        (bUtf8 ? Utf8MakeLower : MbcsMakeLower)(&folded[0], folded.size());
    size_t m = needle.size();
    for (size_t from = 0; from + m <= folded.size();) {
        size_t h;
        if (bUtf8) {
            const char* hit = FindBytes(folded.data() + from, folded.size() - from, needle.data(), m);
            if (!hit)
                return;
            h = static_cast<size_t>(hit - folded.data());
        } else {
            long k = MbcsFind(folded.data() + from, folded.size() - from, needle.data(), m);
            if (k < 0)
                return;
            h = from + static_cast<size_t>(k);
        }
        pMatches->push_back(Match{h, h + m, {}});
        from = h + m;
    }
}

bool CSplicer::Spans(const char* text, size_t n, bool bUtf8, std::vector<TextSpan>* pSpans)
{
    pSpans->clear();
    if (!m->error.IsEmpty())
        return false;
    m->spansView.text.assign(text, n);
    m->spansView.raw.clear();
    if (!m->FindAll(m->spansView, bUtf8, &m->spansFound))
        return false;
    for (const Match& match : m->spansFound)
        pSpans->push_back(TextSpan{match.start, match.end - match.start});
    return true;
}

bool CSplicer::Splice(const std::string& bytes, const std::vector<uint64_t>& lines, std::string* out,
                      std::vector<SplicedLine>* pLines, uint64_t* pnReplaced)
{
    if (!m->error.IsEmpty())
        return false;
    size_t body;
    Encoding e = Detect(bytes, m->rule.nEncoding, &body);
    if (e == kIso2022Jp)
        return false;  // its escapes carry the set in force from line to line
    bool bWide = e == kUtf16Le || e == kUtf16Be, bUtf8 = e != kCp932;
    size_t unit = bWide ? 2 : 1;
    std::string result;
    result.reserve(bytes.size() + bytes.size() / 8);
    pLines->clear();
    uint64_t nReplaced = 0;
    size_t copied = 0, lineStart = body;
    uint64_t nLine = 1;
    LineView view, after;
    std::vector<Match> matches;
    uint64_t nLast = 0;
    for (uint64_t wanted : lines) {
        if (wanted <= nLast)
            return false;  // each line once, in order, or the bytes before it would be written twice
        nLast = wanted;
        // On to the line WANTED, counting line ends.
        size_t lineEnd;
        for (;;) {
            lineEnd = LineEnd(bytes, lineStart, e);
            if (nLine == wanted)
                break;
            if (lineEnd >= bytes.size())
                return false;
            lineStart = lineEnd + unit;
            ++nLine;
        }
        if (lineStart >= bytes.size())
            return false;  // after the file's last line end there is no line
        bool bLineEnd = lineEnd < bytes.size();
        ViewLine(bytes, lineStart, lineEnd, e, bLineEnd, &view);
        if (!m->FindAll(view, bUtf8, &matches) || matches.empty())
            return false;
        auto raw = [&](size_t at) { return view.raw.empty() ? lineStart + at : view.raw[at]; };
        size_t newLineStart = result.size() + (lineStart - copied);
        for (const Match& match : matches) {
            result.append(bytes, copied, raw(match.start) - copied);
            for (const Piece& p : m->pieces) {
                if (p.nGroup < 0) {
                    result += p.encoded[e];
                    continue;
                }
                long gs = match.groups.empty() ? -1 : match.groups[2 * p.nGroup];
                long ge = match.groups.empty() ? -1 : match.groups[2 * p.nGroup + 1];
                if (match.groups.empty() && p.nGroup == 0) {
                    gs = static_cast<long>(match.start);
                    ge = static_cast<long>(match.end);
                }
                if (gs >= 0 && ge >= gs)
                    result.append(bytes, raw(static_cast<size_t>(gs)), raw(static_cast<size_t>(ge)) - raw(static_cast<size_t>(gs)));
            }
            copied = raw(match.end);
            ++nReplaced;
        }
        // The new line as a row shows it: the text before its first
        // replacement is as it was, so its column is too.
        size_t newLineEnd = result.size() + (lineEnd - copied);
        result.append(bytes, copied, lineEnd - copied);
        copied = lineEnd;
        ViewLine(result, newLineStart, newLineEnd, e, bLineEnd, &after);
        std::string shown = after.text;
        if (bUtf8) {
            std::string cp932(shown.size(), '\0');
            cp932.resize(Utf8To932(shown.data(), shown.size(), &cp932[0]));
            shown.swap(cp932);
        }
        pLines->push_back(SplicedLine{nLine, 1 + Columns(view.text.data(), matches[0].start, bUtf8), shown});
    }
    result.append(bytes, copied, std::string::npos);
    out->swap(result);
    *pnReplaced = nReplaced;
    return true;
}
