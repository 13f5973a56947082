#include "engine/pattern.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include <oniguruma.h>

#include "text/mbcs.h"

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

// Pattern text (code page 932) as the library gets it: UTF-8, the variant
// forms made one, literals folded as the lines are; what follows a
// backslash keeps its case, since \D and \d, \S and \s differ. Empty when
// the text holds a code that is no character.
std::string LibrarySource(const char* text, size_t n, bool bFold)
{
    std::string utf8, source;
    if (!Cp932ToUtf8(text, n, &utf8))
        return source;
    const unsigned char* u = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        bool bEscaped = u[i] == '\\';
        if (bEscaped) {
            source += '\\';
            if (++i >= utf8.size())
                break;
        }
        unsigned cp;
        size_t len = Utf8Char(u + i, utf8.size() - i, &cp);
        size_t at = source.size();
        AppendPrepared(source, cp);
        if (bFold && !bEscaped)
            Utf8MakeLower(&source[at], source.size() - at);
        i += len;
    }
    return source;
}

}  // namespace

SearchPattern::SearchPattern(const char* text, size_t n, bool bRegex, bool bWholeWord, bool bFold)
    : m_bWholeWord(bWholeWord), m_bFold(bFold)
{
    std::string escaped;
    if (!bRegex) {
        escaped = EscapeRegex(text, n);
        text = escaped.data();
        n = escaped.size();
    }
    m_source = LibrarySource(text, n, bFold);
    if (m_source.empty())
        return;
    PatternNeeds needs = ReadPatternNeeds(text, n);
    m_literal = needs.literal;
    if (bFold && !m_literal.empty())
        MbcsMakeLower(&m_literal[0], m_literal.size());
    m_bOnlyLiteral = needs.bOnlyLiteral && !bWholeWord;
    if (!needs.classAtom.empty()) {
        m_classSource = LibrarySource(needs.classAtom.data(), needs.classAtom.size(), bFold);
        m_nClassRun = needs.nClassRun;
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
    // The message may quote the pattern, in the library's UTF-8.
    UChar message[ONIG_MAX_ERROR_MESSAGE_LEN];
    int n = onig_error_code_to_str(message, r, &info);
    std::string shown(static_cast<size_t>(n > 0 ? n : 0), '\0');
    shown.resize(Utf8To932(reinterpret_cast<const char*>(message), shown.size(), &shown[0]));
    return shown;
}

namespace {

// With KMAP, FROM gets for every byte of the prepared text the position of
// the character it came from, and one more entry: N.
template <bool kMap>
void Prepare(const char* line, size_t n, bool bUtf8, bool bFold, std::string& out, std::vector<size_t>* pFrom)
{
    // Written through a pointer: a character at a time through the string
    // costs more than the decoding. No character grows past three bytes.
    out.resize(3 * n);
    if (kMap)
        pFrom->resize(3 * n + 1);
    char* o = &out[0];
    const unsigned char* t = reinterpret_cast<const unsigned char*>(line);
    for (size_t i = 0; i < n;) {
        size_t at = i;
        if (t[i] < 0x80) {
            if (kMap)
                (*pFrom)[static_cast<size_t>(o - out.data())] = at;
            *o++ = static_cast<char>(t[i++]);
            continue;
        }
        unsigned cp;
        if (bUtf8) {
            size_t len = Utf8Char(t + i, n - i, &cp);
            if (len == 0 || len == SIZE_MAX) {
                cp = 0xFFFD;
                len = 1;
            }
            i += len;
        } else {
            size_t len = CharLength932(t, i, n);
            unsigned code = len == 2 ? (t[i] << 8) | t[i + 1] : t[i];
            if (!Cp932ToUnicode(code, &cp))
                cp = 0xFFFD;
            i += len;
        }
        char* start = o;
        o = PutUtf8(o, MicrosoftForm(cp));
        if (kMap)
            std::fill(pFrom->begin() + (start - out.data()), pFrom->begin() + (o - out.data()), at);
    }
    out.resize(static_cast<size_t>(o - out.data()));
    if (kMap) {
        pFrom->resize(out.size() + 1);
        pFrom->back() = n;
    }
    if (bFold && !out.empty())
        Utf8MakeLower(&out[0], out.size());
}

}  // namespace

void PrepareLine(const char* line, size_t n, bool bUtf8, bool bFold, std::string& out)
{
    Prepare<false>(line, n, bUtf8, bFold, out, nullptr);
}

void PrepareLineMapped(const char* line, size_t n, bool bUtf8, bool bFold, std::string& out,
                       std::vector<size_t>* pFrom)
{
    Prepare<true>(line, n, bUtf8, bFold, out, pFrom);
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
    regex_t* atom = nullptr;  // the class run's class, alone
    unsigned nClassRun = 0;
    bool bFold = false;
    // Per code page 932 code and per character of the Basic Multilingual
    // Plane: 0 not asked yet, 1 in the class, 2 not.
    std::vector<unsigned char> in932, inUnicode;
    std::string one;
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
    if (m->atom)
        onig_free(m->atom);
    onig_region_free(m->region, 1);
    onig_free_match_param(m->param);
}

bool PatternMatcher::Use(const SearchPattern& pattern)
{
    m->bWholeWord = pattern.WholeWord();
    if (m->reg && m->source == pattern.Source() && m->bFold == pattern.Fold())
        return m->bCompiled;
    if (m->reg) {
        onig_free(m->reg);
        m->reg = nullptr;
    }
    if (m->atom) {
        onig_free(m->atom);
        m->atom = nullptr;
    }
    m->nClassRun = 0;
    m->bFold = pattern.Fold();
    OnigErrorInfo atomInfo;
    if (!pattern.ClassSource().empty() && Compile(pattern.ClassSource(), &m->atom, &atomInfo) == ONIG_NORMAL) {
        m->nClassRun = pattern.ClassRun();
        m->in932.assign(0x10000, 0);
        m->inUnicode.assign(0x10000, 0);
    } else {
        m->atom = nullptr;
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
    return FindFrom(s, n, 0, pStart, nullptr);
}

PatternMatcher::Result PatternMatcher::FindFrom(const char* s, size_t n, size_t from, size_t* pStart,
                                                std::vector<long>* pGroups)
{
    if (!m->bCompiled)
        return kNoMatch;
    const UChar* str = reinterpret_cast<const UChar*>(s);
    while (from <= n) {
        int r = onig_search_with_param(m->reg, str, str + n, str + from, str + n, m->region, ONIG_OPTION_NONE,
                                       m->param);
        if (r == ONIG_MISMATCH)
            return kNoMatch;
        if (r < 0)
            return kGaveUp;
        size_t start = static_cast<size_t>(r);
        if (!m->bWholeWord || WholeWordAt(s, n, start, static_cast<size_t>(m->region->end[0]))) {
            *pStart = start;
            if (pGroups) {
                pGroups->clear();
                for (int i = 0; i < m->region->num_regs; ++i) {
                    pGroups->push_back(m->region->beg[i]);
                    pGroups->push_back(m->region->end[i]);
                }
            }
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

int PatternMatcher::GroupCount() const
{
    return m->bCompiled ? onig_number_of_captures(m->reg) : 0;
}

int PatternMatcher::GroupNumber(const std::string& utf8Name) const
{
    if (!m->bCompiled)
        return -1;
    const UChar* name = reinterpret_cast<const UChar*>(utf8Name.data());
    int r = onig_name_to_backref_number(m->reg, name, name + utf8Name.size(), nullptr);
    return r > 0 ? r : -1;
}

bool PatternMatcher::HasClass() const
{
    return m->atom != nullptr;
}

bool PatternMatcher::MayMatch(const char* line, size_t n, bool bUtf8)
{
    if (!m->atom)
        return true;
    // Whether the library takes the character of the UTF-8 bytes at P alone
    // as one of the class.
    auto ask = [this](const char* p, size_t len) {
        PrepareLine(p, len, true, m->bFold, m->one);
        const UChar* s = reinterpret_cast<const UChar*>(m->one.data());
        const UChar* end = s + m->one.size();
        int r = onig_match(m->atom, s, end, s, nullptr, ONIG_OPTION_NONE);
        return static_cast<unsigned char>(r == static_cast<int>(m->one.size()) ? 1 : 2);
    };
    const unsigned char* t = reinterpret_cast<const unsigned char*>(line);
    unsigned nRun = 0;
    for (size_t i = 0; i < n;) {
        unsigned char in;
        if (bUtf8) {
            unsigned cp;
            size_t len = Utf8Char(t + i, n - i, &cp);
            if (len == 0 || len == SIZE_MAX) {
                len = 1;
                cp = 0xFFFD;
            }
            if (cp > 0xFFFF) {
                in = 1;  // rare: taken as a member, which only costs a look
            } else {
                unsigned char& known = m->inUnicode[cp];
                if (known == 0) {
                    char bytes[4];
                    known = ask(bytes, static_cast<size_t>(PutUtf8(bytes, cp) - bytes));
                }
                in = known;
            }
            i += len;
        } else {
            size_t len = CharLength932(t, i, n);
            unsigned code = len == 2 ? (t[i] << 8) | t[i + 1] : t[i];
            unsigned char& known = m->in932[code];
            if (known == 0) {
                unsigned cp;
                if (!Cp932ToUnicode(code, &cp))
                    cp = 0xFFFD;
                char bytes[4];
                known = ask(bytes, static_cast<size_t>(PutUtf8(bytes, cp) - bytes));
            }
            in = known;
            i += len;
        }
        nRun = in == 1 ? nRun + 1 : 0;
        if (nRun >= m->nClassRun)
            return true;
    }
    return false;
}
