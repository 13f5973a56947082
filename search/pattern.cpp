#include "search/pattern.h"

#include <cctype>
#include <cstring>
#include <mutex>
#include <vector>

#include <oniguruma.h>

#include "platform/mbcs.h"

namespace {

// The JIS and the Microsoft form of one Japanese character: text from other
// systems writes 〜 as U+301C, the 〜 typed on Windows is U+FF5E. Lines and
// patterns both take the Microsoft form, the one code page 932 decodes to.
unsigned MicrosoftForm(unsigned cp)
{
    switch (cp) {
    case 0x301C: return 0xFF5E;  // 〜
    case 0x2212: return 0xFF0D;  // −
    case 0x2016: return 0x2225;  // ‖
    case 0x00A2: return 0xFFE0;  // ¢
    case 0x00A3: return 0xFFE1;  // £
    case 0x00AC: return 0xFFE2;  // ¬
    case 0x2014: return 0x2015;  // —
    default: return cp;
    }
}

// The characters above whose two forms a plain byte look cannot tell apart
// in Unicode files, as their code page 932 codes.
bool IsVariantCode(unsigned code)
{
    switch (code) {
    case 0x8160: case 0x817C: case 0x8161: case 0x8191: case 0x8192: case 0x81CA: case 0x815C:
        return true;
    default:
        return false;
    }
}

size_t CharLen932(const unsigned char* t, size_t i, size_t n)
{
    return IsLeadByte932(t[i]) && i + 1 < n ? 2 : 1;
}

// The character of prepared (well-formed) text at I, and its length.
unsigned CodeAt(const char* s, size_t n, size_t i, size_t* pLen)
{
    unsigned cp = 0;
    size_t len = Utf8Char(reinterpret_cast<const unsigned char*>(s) + i, n - i, &cp);
    *pLen = len == 0 || len == SIZE_MAX ? 1 : len;
    return cp;
}

int Kind(unsigned cp)
{
    if ((cp >= '0' && cp <= '9') || (cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z') || cp == '_')
        return 1;
    if ((cp >= 0xFF10 && cp <= 0xFF19) || (cp >= 0xFF21 && cp <= 0xFF3A) || (cp >= 0xFF41 && cp <= 0xFF5A))
        return 2;
    if (cp >= 0x3041 && cp <= 0x309F)
        return 3;
    if ((cp >= 0x30A1 && cp <= 0x30FF) || (cp >= 0xFF66 && cp <= 0xFF9F))
        return 4;
    if ((cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0x3400 && cp <= 0x4DBF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
        (cp >= 0x20000 && cp <= 0x3FFFF) || cp == 0x3005)
        return 5;
    return 0;
}

void AppendPrepared(std::string& out, unsigned cp)
{
    char bytes[4];
    out.append(bytes, static_cast<size_t>(PutUtf8(bytes, MicrosoftForm(cp)) - bytes));
}

// Regular-expression syntax characters, which stand for themselves only
// after a backslash.
bool IsSyntaxByte(unsigned char c)
{
    return std::strchr("\\^$.|?*+()[]{}", c) != nullptr && c != 0;
}

// Past the bracketed part of a pattern that starts at I with OPEN ('[' or
// '('), escapes and classes inside it skipped whole; N when it never closes.
size_t SkipBracketed(const unsigned char* t, size_t i, size_t n)
{
    int depthClass = 0, depthGroup = 0;
    for (; i < n; i += CharLen932(t, i, n)) {
        unsigned char c = t[i];
        if (c == '\\') {
            i += i + 1 < n ? CharLen932(t, i + 1, n) : 0;
            continue;
        }
        if (depthClass > 0) {
            if (c == '[')
                ++depthClass;
            else if (c == ']' && --depthClass == 0 && depthGroup == 0)
                return i + 1;
            continue;
        }
        if (c == '[') {
            ++depthClass;
            // A ']' first in a class (after any '^') stands for itself.
            if (i + 1 < n && t[i + 1] == '^')
                ++i;
            if (i + 1 < n && t[i + 1] == ']')
                ++i;
        } else if (c == '(') {
            ++depthGroup;
        } else if (c == ')' && --depthGroup == 0) {
            return i + 1;
        }
    }
    return n;
}

std::once_flag g_onigInit;

int Compile(const std::string& source, regex_t** pReg, OnigErrorInfo* pInfo)
{
    std::call_once(g_onigInit, [] {
        OnigEncoding encodings[] = {ONIG_ENCODING_UTF8};
        onig_initialize(encodings, 1);
    });
    const UChar* p = reinterpret_cast<const UChar*>(source.data());
    return onig_new(pReg, p, p + source.size(), ONIG_OPTION_NONE, ONIG_ENCODING_UTF8, ONIG_SYNTAX_RUBY, pInfo);
}

}  // namespace

bool HoldsVariantForm(const char* text, size_t n)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < n; i += CharLen932(t, i, n)) {
        if (CharLen932(t, i, n) == 2 && IsVariantCode((t[i] << 8) | t[i + 1]))
            return true;
    }
    return false;
}

std::string EscapeRegex(const char* text, size_t n)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    std::string out;
    for (size_t i = 0; i < n;) {
        size_t len = CharLen932(t, i, n);
        if (len == 1 && IsSyntaxByte(t[i]))
            out += '\\';
        out.append(text + i, len);
        i += len;
    }
    return out;
}

std::string RequiredLiteral(const char* text, size_t n)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    std::string best, run;
    std::vector<size_t> starts;  // where each character of RUN starts
    auto endRun = [&]() {
        if (run.size() > best.size())
            best = run;
        run.clear();
        starts.clear();
    };
    for (size_t i = 0; i < n;) {
        unsigned char c = t[i];
        size_t len = CharLen932(t, i, n);
        if (c == '\\') {
            if (i + 1 >= n)
                return std::string();
            unsigned char e = t[i + 1];
            // An escaped syntax character stands for itself; letters and
            // digits open escapes of their own length (\x41, \p{Han},
            // \k<name>), which this simple reading does not follow.
            if (e < 0x80 && !std::isalnum(e)) {
                starts.push_back(run.size());
                run += static_cast<char>(e);
                i += 2;
                continue;
            }
            if (std::strchr("dDwWsSbBhHAzZGRXK", e) == nullptr)
                return std::string();
            endRun();
            i += 2;
            continue;
        }
        if (c == '(' && i + 2 < n && t[i + 1] == '?' && std::strchr("imx-", t[i + 2]) != nullptr && t[i + 2] != 0)
            return std::string();  // options that change what the rest means
        if (c == '(' || c == '[') {
            endRun();
            i = SkipBracketed(t, i, n);
            continue;
        }
        if (c == '|' || c == ')')
            return std::string();  // alternatives at the top: no text is in every match
        if (c == '?' || c == '*' || c == '{') {
            // The character before is optional (or its count unknown).
            if (!starts.empty()) {
                run.resize(starts.back());
                starts.pop_back();
            }
            endRun();
            if (c == '{') {
                const void* close = std::memchr(t + i, '}', n - i);
                i = close ? static_cast<size_t>(static_cast<const unsigned char*>(close) - t) + 1 : i + 1;
            } else {
                ++i;
            }
            continue;
        }
        if (c == '+' || c == '.' || c == '^' || c == '$') {
            endRun();
            ++i;
            continue;
        }
        if (len == 2 && IsVariantCode((c << 8) | t[i + 1])) {
            // Its other form in a Unicode file would fail a byte look.
            endRun();
            i += 2;
            continue;
        }
        starts.push_back(run.size());
        run.append(text + i, len);
        i += len;
    }
    endRun();
    return best;
}

SearchPattern::SearchPattern(const char* text, size_t n, bool bRegex, bool bWholeWord, bool bFold)
    : m_bWholeWord(bWholeWord), m_bFold(bFold)
{
    std::string escaped;
    if (!bRegex) {
        escaped = EscapeRegex(text, n);
        text = escaped.data();
        n = escaped.size();
    }
    m_literal = RequiredLiteral(text, n);
    if (bFold && !m_literal.empty())
        MbcsMakeLower(&m_literal[0], m_literal.size());
    std::string utf8;
    if (!Cp932ToUtf8(text, n, &utf8))
        return;
    // Literals fold as the lines do; what follows a backslash keeps its
    // case, since \D and \d, \S and \s differ.
    const unsigned char* u = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        bool bEscaped = u[i] == '\\';
        if (bEscaped) {
            m_source += '\\';
            if (++i >= utf8.size())
                break;
        }
        unsigned cp;
        size_t len = Utf8Char(u + i, utf8.size() - i, &cp);
        size_t at = m_source.size();
        AppendPrepared(m_source, cp);
        if (bFold && !bEscaped)
            Utf8MakeLower(&m_source[at], m_source.size() - at);
        i += len;
    }
}

std::string SearchPattern::Check() const
{
    if (m_source.empty())
        return std::string();
    regex_t* reg = nullptr;
    OnigErrorInfo info;
    int r = Compile(m_source, &reg, &info);
    if (r == ONIG_NORMAL) {
        onig_free(reg);
        return std::string();
    }
    UChar message[ONIG_MAX_ERROR_MESSAGE_LEN];
    onig_error_code_to_str(message, r, &info);
    return reinterpret_cast<const char*>(message);
}

void PrepareLine(const char* line, size_t n, bool bUtf8, bool bFold, std::string& out)
{
    out.clear();
    const unsigned char* t = reinterpret_cast<const unsigned char*>(line);
    for (size_t i = 0; i < n;) {
        unsigned cp;
        if (t[i] < 0x80) {
            out += static_cast<char>(t[i++]);
            continue;
        }
        if (bUtf8) {
            size_t len = Utf8Char(t + i, n - i, &cp);
            if (len == 0 || len == SIZE_MAX) {
                cp = 0xFFFD;
                len = 1;
            }
            i += len;
        } else {
            size_t len = CharLen932(t, i, n);
            unsigned code = len == 2 ? (t[i] << 8) | t[i + 1] : t[i];
            if (!Cp932ToUnicode(code, &cp))
                cp = 0xFFFD;
            i += len;
        }
        AppendPrepared(out, cp);
    }
    if (bFold && !out.empty())
        Utf8MakeLower(&out[0], out.size());
}

size_t PreparedColumns(const char* s, size_t n)
{
    size_t columns = 0;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        columns += (c & 0xC0) != 0x80;
        columns += c >= 0xF0;
    }
    return columns;
}

bool WholeWordAt(const char* s, size_t n, size_t start, size_t end)
{
    if (start >= end)
        return false;
    size_t len;
    int first = Kind(CodeAt(s, n, start, &len));
    if (first != 0 && start > 0) {
        size_t before = start - 1;
        while (before > 0 && (static_cast<unsigned char>(s[before]) & 0xC0) == 0x80)
            --before;
        if (Kind(CodeAt(s, n, before, &len)) == first)
            return false;
    }
    size_t lastStart = end - 1;
    while (lastStart > start && (static_cast<unsigned char>(s[lastStart]) & 0xC0) == 0x80)
        --lastStart;
    int last = Kind(CodeAt(s, n, lastStart, &len));
    return last == 0 || end >= n || Kind(CodeAt(s, n, end, &len)) != last;
}

struct PatternMatcher::Impl {
    regex_t* reg = nullptr;
    OnigRegion* region = nullptr;
    OnigMatchParam* param = nullptr;
    std::string source;
    bool bCompiled = false;
    bool bWholeWord = false;
};

PatternMatcher::PatternMatcher() : m(new Impl)
{
    m->region = onig_region_new();
    m->param = onig_new_match_param();
    onig_initialize_match_param(m->param);
    onig_set_retry_limit_in_match_of_match_param(m->param, kRetryLimit);
    onig_set_retry_limit_in_search_of_match_param(m->param, kRetryLimit);
}

PatternMatcher::~PatternMatcher()
{
    if (m->reg)
        onig_free(m->reg);
    onig_region_free(m->region, 1);
    onig_free_match_param(m->param);
}

bool PatternMatcher::Use(const SearchPattern& pattern)
{
    m->bWholeWord = pattern.WholeWord();
    if (m->reg && m->source == pattern.Source())
        return m->bCompiled;
    if (m->reg) {
        onig_free(m->reg);
        m->reg = nullptr;
    }
    m->source = pattern.Source();
    m->bCompiled = false;
    if (m->source.empty())
        return false;
    OnigErrorInfo info;
    int r = Compile(m->source, &m->reg, &info);
    m->bCompiled = r == ONIG_NORMAL;
    if (!m->bCompiled)
        m->reg = nullptr;
    return m->bCompiled;
}

PatternMatcher::Result PatternMatcher::Find(const char* s, size_t n, size_t* pStart)
{
    if (!m->bCompiled)
        return kNoMatch;
    const UChar* str = reinterpret_cast<const UChar*>(s);
    for (size_t from = 0; from <= n;) {
        int r = onig_search_with_param(m->reg, str, str + n, str + from, str + n, m->region, ONIG_OPTION_NONE,
                                       m->param);
        if (r == ONIG_MISMATCH)
            return kNoMatch;
        if (r < 0)
            return kGaveUp;
        size_t start = static_cast<size_t>(r);
        if (!m->bWholeWord || WholeWordAt(s, n, start, static_cast<size_t>(m->region->end[0]))) {
            *pStart = start;
            return kMatch;
        }
        // Not a whole word here: the next match starts at a later character.
        size_t len = 1;
        if (start < n)
            CodeAt(s, n, start, &len);
        from = start + len;
    }
    return kNoMatch;
}
