// The current user's part of the registry (HKEY_CURRENT_USER), for what the
// program registers with the shell: keys named by their "\"-separated paths
// below it, in CP932, and their default values. Nothing here needs
// administrator rights. The stand-in keeps a registry of its own in memory.
#ifndef TOLVANE_PLATFORM_REGISTRY_H
#define TOLVANE_PLATFORM_REGISTRY_H

bool AfxRegKeyExists(const char* key);
// Makes KEY, whose parent must exist; *pbMade tells whether it was not
// there before.
bool AfxRegCreateKey(const char* key, bool* pbMade);
// Removes KEY, which must have no subkeys.
bool AfxRegDeleteKey(const char* key);
// Whether KEY has neither subkeys nor values.
bool AfxRegKeyIsEmpty(const char* key);
bool AfxRegSetDefault(const char* key, const char* text);
// KEY's default value made a command line that starts the program at
// PROGRAM, a path as the product shows it, with PARAMETERS after it:
// "PROGRAM" PARAMETERS, the program named as the file system names it.
bool AfxRegSetCommand(const char* key, const char* program, const char* parameters);
// Whether KEY's default value is exactly that command line.
bool AfxRegIsCommand(const char* key, const char* program, const char* parameters);

#endif
