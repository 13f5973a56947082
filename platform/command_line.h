// Command lines: an editor's as the user writes it (placeholders filled in,
// then the program split from its parameters), and the program's own as it
// is started. Both sides use these, the Win32 side on UTF-16 text (so a file
// name keeps the characters code page 932 lacks), the stand-in on CP932
// bytes; '%', '"' and blanks are below 0x40, so no CP932 trail byte is
// mistaken for one of them. A backslash is not: the program's own command
// line is walked a character at a time.
#ifndef TOLVANE_PLATFORM_COMMAND_LINE_H
#define TOLVANE_PLATFORM_COMMAND_LINE_H

#include <cstdint>
#include <string>

// %path%, %line% and %column% replaced in one pass from left to right: what
// a replacement brings in (a path holding "%line%") is never looked at
// again. Any other '%' stays as it is.
template <typename Char>
std::basic_string<Char> FillCommand(const std::basic_string<Char>& command, const std::basic_string<Char>& path,
                                    uint64_t nLine, uint64_t nColumn)
{
    auto number = [](uint64_t n) {
        std::string digits = std::to_string(n);
        return std::basic_string<Char>(digits.begin(), digits.end());
    };
    auto at = [&command](size_t i, const char* name) {
        for (size_t k = 0; name[k]; ++k)
            if (i + k >= command.size() || command[i + k] != static_cast<Char>(name[k]))
                return false;
        return true;
    };
    std::basic_string<Char> out;
    for (size_t i = 0; i < command.size();) {
        if (command[i] == '%' && at(i, "%path%")) {
            out += path;
            i += 6;
        } else if (command[i] == '%' && at(i, "%line%")) {
            out += number(nLine);
            i += 6;
        } else if (command[i] == '%' && at(i, "%column%")) {
            out += number(nColumn);
            i += 8;
        } else {
            out += command[i++];
        }
    }
    return out;
}

// The program is the first word, or the text between the first pair of
// quotes when the line starts with one (a quote left open runs to the end);
// the parameters are the rest without the blanks before them.
template <typename Char>
void SplitCommand(const std::basic_string<Char>& line, std::basic_string<Char>* pProgram,
                  std::basic_string<Char>* pParameters)
{
    auto blank = [](Char c) { return c == ' ' || c == '\t'; };
    size_t i = 0;
    while (i < line.size() && blank(line[i]))
        ++i;
    size_t end;
    if (i < line.size() && line[i] == '"') {
        size_t close = line.find(static_cast<Char>('"'), i + 1);
        end = close == std::basic_string<Char>::npos ? line.size() : close;
        *pProgram = line.substr(i + 1, end - i - 1);
        if (end < line.size())
            ++end;
    } else {
        end = i;
        while (end < line.size() && !blank(line[end]))
            ++end;
        *pProgram = line.substr(i, end - i);
    }
    while (end < line.size() && blank(line[end]))
        ++end;
    *pParameters = line.substr(end);
}

// Windows reads a backslash before a quote as a quote of the text, so a
// quoted argument that ends in a backslash, as Explorer passes a drive's root
// ("C:\") and a script a folder ("C:\my dir\"), would lose its closing quote
// and run on into the arguments after it. Where a quote opens an argument and
// the next quote follows an odd run of backslashes and ends the argument (a
// blank or the end after it), one more backslash makes the run a run of
// backslashes and the quote a closing one. A quote of the text inside ("say
// \"hi\" now") is followed by something else and stays one. LENGTH gives the
// length of the character at an index.
template <typename Char, typename Length>
std::basic_string<Char> KeepClosingBackslashes(const std::basic_string<Char>& line, Length length)
{
    std::basic_string<Char> out;
    bool bQuoted = false, bArgStart = true, bWatching = false;
    size_t nBackslashes = 0;
    for (size_t i = 0; i < line.size();) {
        size_t n = length(line, i);
        Char c = line[i];
        if (c == '"') {
            bool bEnds = i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t';
            if (bWatching && nBackslashes % 2 == 1 && bEnds) {
                out += static_cast<Char>('\\');
                nBackslashes = 0;
            }
            bool bLiteral = nBackslashes % 2 == 1;
            bWatching = !bLiteral && !bQuoted && bArgStart;
            if (!bLiteral)
                bQuoted = !bQuoted;
        } else if (!bQuoted && (c == ' ' || c == '\t')) {
            bArgStart = true;
            nBackslashes = 0;
            out += c;
            ++i;
            continue;
        }
        nBackslashes = c == '\\' && n == 1 ? nBackslashes + 1 : 0;
        bArgStart = false;
        out.append(line, i, n);
        i += n;
    }
    return out;
}

#endif
