// Shared between the common platform code and its two sides; not for the product.
#ifndef TOLVANE_PLATFORM_INTERNAL_H
#define TOLVANE_PLATFORM_INTERNAL_H

#include <cstddef>
#include <cstdint>

#include "platform/afx.h"

AFX_MSGBOX_OBSERVER AfxGetMessageBoxObserver();
AFX_CLIPBOARD_OBSERVER AfxGetClipboardObserver();
AFX_SHELL_OBSERVER AfxGetShellObserver();
AFX_POPUPMENU_OBSERVER AfxGetPopupMenuObserver();

// Raw bytes of a resource of the running program (type RT_DIALOG = 5,
// RT_STRING = 6, ...), or false when it has none.
bool AfxGetResourceBytes(unsigned nType, unsigned nID, const void** ppData, size_t* pnSize);

// UTF-16 text from a resource, converted to code page 932.
CString AfxUtf16ToAnsi(const uint16_t* text, size_t nChars);

#endif
