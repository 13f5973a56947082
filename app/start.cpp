#include "app/start.h"

#include "dialog/row_store.h"
#include "platform/afx.h"
#include "platform/files.h"
#include "search/row_file.h"
#include "settings/settings.h"

namespace {

// The search the window would make of the same fields, to its end.
int RunWithoutWindow(const CStartOptions& options)
{
    SearchFields fields;
    CIniFile ini;
    ReadSavedFields(&fields, &ini);
    options.ApplyTo(&fields);
    PreparedSearch search;
    CString strRefusal = PrepareSearch(fields, &search);
    if (!strRefusal.IsEmpty()) {
        AfxWriteStdErr(strRefusal + "\n");
        return kExitRefused;
    }
    CRowStore rows;
    {
        CSearchEngine engine;
        engine.Start(search.request);
        SearchOutput out;
        for (bool bEnded = false; !bEnded;) {
            bEnded = engine.Wait(1000);
            engine.Take(&out);
            rows.Link(out.pieces);
        }
    }
    std::string file = RowFileBytes(rows, options.nFormat, search.request.strDir, search.rule);
    bool bWritten = options.strOut == "-" ? AfxWriteStdOut(file.data(), file.size())
                                          : WriteFileReplacing(options.strOut, file.data(), file.size());
    if (!bWritten) {
        AfxWriteStdErr("結果を書き込めませんでした: " + options.strOut + "\n");
        return kExitRefused;
    }
    return rows.Count() > 0 ? kExitRows : kExitNoRows;
}

}  // namespace

bool StartFromCommandLine(const CCommandArgs& args, CStartOptions* pOptions, int* pnExitCode)
{
    *pOptions = ParseStartOptions(args);
    *pnExitCode = kExitRows;
    if (!pOptions->strError.IsEmpty()) {
        *pnExitCode = kExitRefused;
        if (pOptions->bOut)
            AfxWriteStdErr(pOptions->strError + "\n");
        else
            AfxMessageBox(pOptions->strError, "Error!", MB_ICONHAND);
        return false;
    }
    if (!pOptions->bOut)
        return true;
    *pnExitCode = RunWithoutWindow(*pOptions);
    return false;
}
