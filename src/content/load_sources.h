// The two sources of @BLOAD. Each leaves its outcome in LastError and LastLoadSize and writes
// the result text: the new buffer's handle, or "0".
#pragma once

// A whole file of 1 byte to 8 MiB, by its full path name.
void LoadFile(const char16_t* path, char16_t* result);

// The clipboard's Unicode text with its terminating zero.
void LoadClipboard(char16_t* result);
