// The program's own process: the command line it was started with, and the
// standard output and error that a run without the window writes to.
#ifndef TOLVANE_PLATFORM_PROCESS_H
#define TOLVANE_PLATFORM_PROCESS_H

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/cstring.h"

// The arguments after the program's own name, split as Windows splits them
// (CommandLineToArgvW), except that a quoted argument ending in a backslash
// keeps it: "C:\my dir\" is C:\my dir\, and Explorer's "C:\" is C:\.
class CCommandArgs {
public:
    // As the process was started.
    static CCommandArgs OfProcess();
    // TEXT (CP932) as typed at a command prompt after the program's name.
    static CCommandArgs OfText(const char* text);
    // Arguments in the platform's own form: UTF-16 on Windows, CP932 bytes
    // in the stand-in.
    explicit CCommandArgs(std::vector<std::string> args) : m_args(std::move(args)) {}

    int GetCount() const { return static_cast<int>(m_args.size()); }
    // The argument as text; a character code page 932 lacks becomes "?".
    CString GetText(int i) const;
    // The argument as a path, made absolute from the current folder, in the
    // form the product shows paths: a name code page 932 lacks is shown with
    // "?" and still reaches the file system as it is.
    CString GetPath(int i) const;

private:
    std::vector<std::string> m_args;
};

// Standard output, for a run's rows (UTF-8: a file or a pipe gets the bytes,
// a console the text): false when the process has none, as a program started
// from Explorer has not.
bool AfxWriteStdOut(const char* data, size_t nBytes);
// A message (CP932) on standard error, where the process has one.
void AfxWriteStdErr(const char* text);

#endif
