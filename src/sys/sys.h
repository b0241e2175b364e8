// The one seam to the operating system.
//
// Everything the plug-in and the stand-in host need from the OS is declared here in their own
// words. Three backends implement it: win32 (the product), posix (the native Linux port) and a fake
// for tests that can inject faults. Nothing outside src/sys/ includes a platform header.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define KV_SYS_API
#elif defined(KV_BUILDING_SYS)
#define KV_SYS_API __attribute__((visibility("default")))
#else
#define KV_SYS_API
#endif

namespace sys {

// An opaque OS handle: a Win32 HANDLE, or a posix descriptor plus one (so that 0 is "none").
using Handle = void*;

enum class StdStream { Input, Output, Error };

// ---- Standard streams and text output --------------------------------------------------------

KV_SYS_API Handle StdHandle(StdStream stream);

// True when the handle is a console (a terminal on posix) rather than a file or pipe.
KV_SYS_API bool IsConsole(Handle handle);

// Writes UTF-16 text: to a console as text of the console, to a file or pipe as UTF-8.
// Returns false when the write failed.
[[nodiscard]] KV_SYS_API bool WriteText(Handle handle, const char16_t* text, size_t length);

// ---- Buffered standard output ----------------------------------------------------------------
// One write per line is slow when standard output is a file or pipe. A host may ask for such
// output to be collected and written in large pieces; a console is always written at once. While
// text waits, a write to any other handle (standard error, the console device, a file) writes it
// out first, so that output that meets in one file keeps the order in which it was made. The
// collection belongs to the module that asked for it (on Windows each module has its own seam).

// With `on`, starts collecting standard output when it is no console; without, writes out what
// waits and stops. Returns whether standard output is now collected.
KV_SYS_API bool BufferStandardOutput(bool on);

// Writes out what waits. False when that write failed (the text is then dropped); the failure
// stays for StandardOutputError, which is where callers learn of it.
KV_SYS_API bool FlushStandardOutput();

// How writing to the file that is standard output now failed, collected or not, as a Windows
// error code (a full disk 112, a closed handle 6, a pipe its reader has closed 109 or 232); 0
// when no write to it failed. Such a file is not written again: a later write returns false at
// once, as what it would add could not follow on from what was lost. Another file made standard
// output for a while (RedirectStdStream) has a fate of its own. posix: a pipe closed by its
// reader raises SIGPIPE, which ends the process as it ends shell tools, unless it is ignored.
[[nodiscard]] KV_SYS_API uint32_t StandardOutputError();

// ---- Redirected standard streams --------------------------------------------------------------
// A host's "command > file": for a while the process's standard output or error is another
// handle, for everyone who asks StdHandle, IsConsole or ConsoleWindowColumns about it and for
// every write to it (posix: the descriptor is duplicated onto it; Windows: SetStdHandle).

// Makes `target` (a file handle, or another standard stream's handle) the stream. `*saved`
// receives what RestoreStdStream needs to put the stream back. Standard output that waits is
// written out first. False, with nothing changed, on failure.
[[nodiscard]] KV_SYS_API bool RedirectStdStream(StdStream stream, Handle target, Handle* saved);
KV_SYS_API void RestoreStdStream(StdStream stream, Handle saved);

// The name of the device that discards what is written to it (NUL; posix: /dev/null).
KV_SYS_API const char16_t* NullDeviceName();

// ---- Environment and process -----------------------------------------------------------------

// As GetEnvironmentVariableW: the value's length without terminator when it fits in `capacity`
// (terminator included); the size needed, terminator included, when it does not (nothing
// written); 0 when the variable is not set. Names compare without regard to case.
[[nodiscard]] KV_SYS_API uint32_t GetEnv(const char16_t* name, char16_t* out, uint32_t capacity);

// Sets a variable (replacing any of the same name in any case); a null or empty value removes it.
[[nodiscard]] KV_SYS_API bool SetEnv(const char16_t* name, const char16_t* value);

KV_SYS_API uint32_t ProcessId();
KV_SYS_API void SleepMillis(uint32_t millis);

// Milliseconds since some fixed moment, wrapping at 2^32 (GetTickCount).
KV_SYS_API uint32_t TickCount();

// ---- Code pages and character classes --------------------------------------------------------

// The system's ANSI and OEM code pages (GetACP, GetOEMCP). posix reports those of a Western
// European Windows system: 1252 and 437.
KV_SYS_API uint32_t AnsiCodePage();
KV_SYS_API uint32_t OemCodePage();

// As MultiByteToWideChar without flags: converts `length` bytes (-1: up to and including the
// terminating zero) into at most `capacity` units. Returns the units written, 0 on failure
// (unknown code page, or no room). With `capacity` 0 it writes nothing and returns the units
// needed.
[[nodiscard]] KV_SYS_API int MultiByteToWide(uint32_t codePage, const char* bytes, int length,
                                             char16_t* out, int capacity);

// As WideCharToMultiByte with WC_NO_BEST_FIT_CHARS: converts `length` units into at most
// `capacity` bytes of the code page, with no replacement for a character the code page cannot
// hold. Returns the bytes written (with `capacity` 0: the bytes needed, nothing written), or -1:
// then `*unheld` is the index of the first unit of the first character that the code page cannot
// hold (a lone surrogate included), or -1 when the code page is unknown or there is no room.
[[nodiscard]] KV_SYS_API int WideToMultiByte(uint32_t codePage, const char16_t* text, int length,
                                             char* out, int capacity, int* unheld);

KV_SYS_API bool IsSpace(char16_t c);
KV_SYS_API char16_t ToUpper(char16_t c);
KV_SYS_API char16_t ToLower(char16_t c);

// ---- Console device --------------------------------------------------------------------------

// Opens "conout$" (posix: /dev/tty) for reading and writing, shared for writing only.
// Returns null when it cannot be opened.
[[nodiscard]] KV_SYS_API Handle OpenConsoleDevice();
KV_SYS_API void CloseHandle(Handle handle);

// ---- Console window width and letters (BBDUMP) -----------------------------------------------

// Columns of the visible window of the console behind the handle (right minus left plus one);
// 0 when the handle is no console or its size cannot be read.
[[nodiscard]] KV_SYS_API uint32_t ConsoleWindowColumns(Handle handle);

// Whether the unit is a letter or a digit of any script (IsCharAlphaNumericW).
KV_SYS_API bool IsLetterOrDigit(char16_t c);

// ---- Console: window, colours, keys and control events ----------------------------------------
// What paged output needs of the console behind standard output and of the console device.
// posix: the terminal, with colours sent as ANSI sequences (a terminal cannot report them, so
// the backend remembers the last one it set, 0x07 at first) and keys read from /dev/tty.

// As GetConsoleMode: false, with `*mode` untouched, when the handle is no console.
[[nodiscard]] KV_SYS_API bool ConsoleMode(Handle handle, uint32_t* mode);

// The rows of the console's visible window (bottom - top + 1, not the screen buffer's); false
// when the handle is no console or the size cannot be read.
[[nodiscard]] KV_SYS_API bool ConsoleWindowRows(Handle handle, uint32_t* rows);

// The console's current character attribute (foreground in the low four bits, background in the
// next four); false when it cannot be read. Setting it changes the colour of later output.
[[nodiscard]] KV_SYS_API bool ConsoleTextAttribute(Handle handle, uint16_t* attribute);
[[nodiscard]] KV_SYS_API bool SetConsoleTextAttribute(Handle handle, uint16_t attribute);

// Key input from the console's own input (also when standard input is redirected) without echo.
// Between BeginKeyInput and EndKeyInput keys stay unechoed also while none is being read (posix:
// the terminal is in raw mode; Windows: the console input's mode has neither line input nor echo,
// Ctrl-C still goes to the control handler); EndKeyInput puts the mode back. The calls nest.
// posix: a signal that ends or stops the process meanwhile puts the terminal's modes back first.
KV_SYS_API void BeginKeyInput();
KV_SYS_API void EndKeyInput();

// Whether key input was taken up again since the last call, after the process had been stopped
// while keys were wanted (posix: Ctrl-Z, then fg). The terminal is then in raw mode again, but
// what the screen showed for the input (a prompt) may be gone or scrolled away: the caller writes
// it again. Windows: never.
KV_SYS_API bool KeyInputResumed();

// Whether a key is waiting in the console input; never blocks.
KV_SYS_API bool KeyWaiting();

// The next code of the console input, waiting for a key when none is there: a character, or 0
// or 0xE0 followed by the key's scan code for a key that is not a character (arrows, function
// keys). Shift, Ctrl, Alt and the lock keys alone are no keys. Without a console input, or once
// it has gone, a key is always waiting and it is Enter (13), so that nothing waits for a key
// that cannot come.
KV_SYS_API uint32_t ReadKeyCode();

// Discards the keys waiting in the console input.
KV_SYS_API void DiscardWaitingKeys();

enum class KeyName { Escape, Control };

// Whether the key is held down now. posix has no such query: Escape counts as down when an Esc
// alone is waiting in the input, behind other keys or not (it is taken from there, the others
// stay); Control is never down.
KV_SYS_API bool KeyIsDown(KeyName key);

// Console control events, by their Windows numbers (posix: SIGINT and SIGQUIT).
constexpr uint32_t kCtrlCEvent = 0;
constexpr uint32_t kCtrlBreakEvent = 1;

// A control handler runs on another thread (posix: in a signal handler) and returns nonzero when
// it handled the event. Only one plug-in handler is installed at a time.
using ControlHandler = int (*)(uint32_t event);
[[nodiscard]] KV_SYS_API bool AddControlHandler(ControlHandler handler);
[[nodiscard]] KV_SYS_API bool RemoveControlHandler(ControlHandler handler);

// ---- Process heap ----------------------------------------------------------------------------
// Blocks of the process's default heap. posix: zero-filled blocks mapped below 4 GiB so that an
// address always fits in 32 bits (with KV_WIDE_HANDLES above 4 GiB, so that it never does); the
// table of live blocks is shared by host and plug-in.

[[nodiscard]] KV_SYS_API void* HeapAllocZeroed(size_t size);
[[nodiscard]] KV_SYS_API bool HeapRelease(void* block);

// The size of the live block that starts exactly at `address`; 0 for any other address. Safe
// for every address.
[[nodiscard]] KV_SYS_API size_t HeapBlockSize(const void* address);

// Reserves every free range of the address space below 4 GiB (VirtualAlloc with MEM_RESERVE
// over what VirtualQuery finds free) and takes what room the process heap still has there, so
// that memory mapped later, and with it every new heap block, lies above it. For a host that tests
// 64-bit handles: the heap would otherwise hand out low addresses, which a handle cut to 32 bits
// still names. Returns the bytes reserved; 0 on a 32-bit system (there is nothing above) and on
// posix (whose heap places itself).
KV_SYS_API uint64_t ReserveLowAddressSpace();

// Takes again the room the process heap has gained below 4 GiB since then (blocks freed there,
// such as those allocated before the reservation), so that the next block lies above it. For the
// same host, before each call of the plug-in; cheap when there is none. Does nothing where
// ReserveLowAddressSpace does nothing.
KV_SYS_API void TakeLowHeapRoom();

// ---- Registry --------------------------------------------------------------------------------
// Keys and values as the Windows registry keeps them: names compare without regard to case,
// values keep the order in which they were first set, and results are Windows error codes (0 is
// success). posix: a tree in this library's memory, shared by host and plug-in like the heap, so
// that every key, volatile or not, vanishes with the process.

using RegistryKey = void*;

enum class RegistryRoot { CurrentUser, LocalMachine };
enum class KeyLifetime { Ordinary, Volatile };

// Value types, by their Windows numbers.
constexpr uint32_t kRegString = 1;
constexpr uint32_t kRegExpandString = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;

// The results callers tell apart.
constexpr uint32_t kRegOk = 0;
constexpr uint32_t kRegNotFound = 2;          // ERROR_FILE_NOT_FOUND
constexpr uint32_t kRegAccessDenied = 5;      // ERROR_ACCESS_DENIED
constexpr uint32_t kRegInvalidHandle = 6;     // ERROR_INVALID_HANDLE
constexpr uint32_t kRegInvalidParameter = 87; // ERROR_INVALID_PARAMETER
constexpr uint32_t kRegBadPath = 161;         // ERROR_BAD_PATHNAME
constexpr uint32_t kRegMoreData = 234;        // ERROR_MORE_DATA
constexpr uint32_t kRegNoMoreItems = 259;     // ERROR_NO_MORE_ITEMS
constexpr uint32_t kRegKeyDeleted = 1018;     // ERROR_KEY_DELETED
constexpr uint32_t kRegMustBeVolatile = 1021; // ERROR_CHILD_MUST_BE_VOLATILE

// The predefined key of a root; it needs no closing.
KV_SYS_API RegistryKey RegistryRootKey(RegistryRoot root);

// Creates `subKey` below `parent` (and every missing key on the way) or opens it when it exists,
// with the rights to read, create sub-keys and set values. A volatile key is never written to
// disk; an existing key keeps the lifetime it was created with. On failure `*key` is null.
[[nodiscard]] KV_SYS_API uint32_t CreateRegistryKey(RegistryKey parent, const char16_t* subKey,
                                                    KeyLifetime lifetime, RegistryKey* key);

// Opens an existing key for reading only. On failure `*key` is null.
[[nodiscard]] KV_SYS_API uint32_t OpenRegistryKey(RegistryKey parent, const char16_t* subKey,
                                                  RegistryKey* key);

// Closing null or a root key does nothing.
KV_SYS_API void CloseRegistryKey(RegistryKey key);

// Creates or replaces a value (a null name is the key's default value).
[[nodiscard]] KV_SYS_API uint32_t SetRegistryValue(RegistryKey key, const char16_t* name,
                                                   uint32_t type, const void* data, uint32_t size);

// As RegQueryValueExW: `type` and `data` may be null. `size` holds the data capacity in bytes on
// entry and the value's size on return; kRegMoreData when the data does not fit (the buffer's
// contents are then undefined).
[[nodiscard]] KV_SYS_API uint32_t QueryRegistryValue(RegistryKey key, const char16_t* name,
                                                     uint32_t* type, void* data, uint32_t* size);

// As RegEnumValueW: the value at `index`. `nameLength` holds the name capacity in units,
// terminator included, on entry and the name's length on return; type, data and size as in
// QueryRegistryValue. kRegNoMoreItems past the last value; kRegMoreData when the name or the
// data does not fit.
[[nodiscard]] KV_SYS_API uint32_t EnumRegistryValue(RegistryKey key, uint32_t index, char16_t* name,
                                                    uint32_t* nameLength, uint32_t* type,
                                                    void* data, uint32_t* size);

[[nodiscard]] KV_SYS_API uint32_t DeleteRegistryValue(RegistryKey key, const char16_t* name);

// Deletes a key that has no sub-keys, with its values. Handles still open to it fail from then
// on (kRegKeyDeleted); kRegAccessDenied when it has sub-keys.
[[nodiscard]] KV_SYS_API uint32_t DeleteRegistryKey(RegistryKey parent, const char16_t* subKey);

// ---- Time of day -----------------------------------------------------------------------------

// The Windows SYSTEMTIME layout: eight 16-bit fields, day of the week 0 for Sunday.
struct SystemTime {
    uint16_t year;
    uint16_t month;
    uint16_t dayOfWeek;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint16_t second;
    uint16_t milliseconds;
};

// The current time in UTC (GetSystemTime).
KV_SYS_API SystemTime SystemTimeUtc();

// The local time of a UTC time in the current time zone (SystemTimeToTzSpecificLocalTime);
// false, with `*local` untouched, when it cannot be converted.
[[nodiscard]] KV_SYS_API bool LocalTimeOf(const SystemTime& utc, SystemTime* local);

// ---- Files and paths -------------------------------------------------------------------------

// The fully qualified form of `name` into `out` (capacity in units, terminator included).
// Returns the length, or 0 when the name cannot be resolved or does not fit.
[[nodiscard]] KV_SYS_API uint32_t FullPathName(const char16_t* name, char16_t* out,
                                               uint32_t capacity);

// The full file name of the running program.
[[nodiscard]] KV_SYS_API uint32_t ExecutablePath(char16_t* out, uint32_t capacity);

// The full file name of the module (shared library) that contains `address`.
[[nodiscard]] KV_SYS_API uint32_t ModulePathOf(const void* address, char16_t* out,
                                               uint32_t capacity);

// Reads a whole file into a new block owned by the caller (release with FreeFileBytes).
// Returns false when the file cannot be read.
[[nodiscard]] KV_SYS_API bool ReadWholeFile(const char16_t* path, char** bytes, size_t* size);
KV_SYS_API void FreeFileBytes(char* bytes);

// ---- Shared libraries ------------------------------------------------------------------------

[[nodiscard]] KV_SYS_API Handle LoadSharedLibrary(const char16_t* path);
[[nodiscard]] KV_SYS_API void* FindSymbol(Handle library, const char* name);
KV_SYS_API void FreeSharedLibrary(Handle library);

// The platform's file name of the plug-in library, for hosts that look for it beside themselves.
KV_SYS_API const char16_t* PluginLibraryName();

// ---- File transfer, clipboard and random bytes -----------------------------------------------
// A failing call leaves a Windows error code for LastErrorCode, as the Win32 calls leave one for
// GetLastError; posix translates errno into the code a batch file would see on Windows (a
// missing file 2, a missing directory 3, access denied 5, a full disk 112, ...).

// The calling thread's last error code (GetLastError).
KV_SYS_API uint32_t LastErrorCode();

// Opens an existing file to read it, shared with other readers only. Null on failure. File
// handles are closed with CloseFile.
[[nodiscard]] KV_SYS_API Handle OpenFileForReading(const char16_t* path);

// Creates a file to write it, replacing and emptying any file of that name; others may read it
// meanwhile. Null on failure.
[[nodiscard]] KV_SYS_API Handle CreateFileForWriting(const char16_t* path);

// Opens a file to write at its end, creating it when there is none; others may read it
// meanwhile. Null on failure.
[[nodiscard]] KV_SYS_API Handle OpenFileForAppending(const char16_t* path);

// Opens an existing file to write into it in place: it is neither created nor emptied; others
// may read it meanwhile. Only a regular file opens (posix: anything else fails as a directory
// does, with 5). Null on failure.
[[nodiscard]] KV_SYS_API Handle OpenFileForPatching(const char16_t* path);

// Closes a file handle. False when the system reports a failure (a network file's delayed
// write, a full disk): the handle is closed all the same, but what was written may be lost.
[[nodiscard]] KV_SYS_API bool CloseFile(Handle file);

[[nodiscard]] KV_SYS_API bool FileSizeOf(Handle file, uint64_t* size);

// Moves the file's position to `offset` bytes from its start (SetFilePointerEx). False on
// failure.
[[nodiscard]] KV_SYS_API bool SeekFile(Handle file, uint64_t offset);

// Moves at most `size` bytes at the file's position and advances it; `*done` receives the bytes
// moved (a read gives 0 at the end of the file). False on failure.
[[nodiscard]] KV_SYS_API bool ReadFilePiece(Handle file, void* bytes, uint32_t size,
                                            uint32_t* done);
[[nodiscard]] KV_SYS_API bool WriteFilePiece(Handle file, const void* bytes, uint32_t size,
                                             uint32_t* done);

// The clipboard, opened for one read and closed again (on Windows owned by the console window).
// posix has no clipboard but the text a host puts there with SetClipboardText; until then it
// cannot be opened.
[[nodiscard]] KV_SYS_API bool OpenClipboardForReading();
// The clipboard's Unicode text, locked until UnlockClipboardText: the start of its data block,
// and in `units` the block's size in UTF-16 units. The text ends at the first zero unit within
// the block, if there is one. Null when there is no text or the block is empty or cannot be
// locked. Only while the clipboard is open.
[[nodiscard]] KV_SYS_API const char16_t* LockClipboardText(size_t* units);
KV_SYS_API void UnlockClipboardText();
KV_SYS_API void CloseClipboardAfterReading();

// Replaces the clipboard's contents by `length` units of text (a zero is added). For hosts that
// give their scripts a known clipboard.
[[nodiscard]] KV_SYS_API bool SetClipboardText(const char16_t* text, size_t length);

// The system's cryptographic random generator (CryptGenRandom; posix: getrandom).
using RandomSource = void*;
// Null when the generator cannot be opened.
[[nodiscard]] KV_SYS_API RandomSource OpenRandomSource();
[[nodiscard]] KV_SYS_API bool FillRandom(RandomSource source, void* bytes, uint32_t size);
KV_SYS_API void CloseRandomSource(RandomSource source);

// ---- Message digests --------------------------------------------------------------------------

enum class DigestAlgorithm { Md5, Sha1, Sha256, Sha384, Sha512 };

// The longest digest (SHA-512's).
constexpr size_t kLargestDigest = 64;

// The digest of `size` bytes by the system's implementation (CNG's BCrypt; posix: OpenSSL's
// libcrypto) into `out`, which holds kLargestDigest bytes. Returns the digest's length, or 0 when
// the algorithm cannot be had or fails.
[[nodiscard]] KV_SYS_API size_t ComputeDigest(DigestAlgorithm algorithm, const void* bytes,
                                              size_t size, uint8_t* out);

// The same digest taken in pieces, for bytes that are never in memory at once (a file of any
// size): BeginDigest, AddToDigest for each piece in order, then EndDigest, which gives what
// ComputeDigest gives for all the pieces together. Every digest begun is ended, after a failure
// too. A failure leaves no error code: neither BCrypt nor libcrypto gives one that a batch file
// would know.
using Digest = void*;

// Null when the algorithm cannot be had.
[[nodiscard]] KV_SYS_API Digest BeginDigest(DigestAlgorithm algorithm);

// False when the system failed; the digest can then only be ended.
[[nodiscard]] KV_SYS_API bool AddToDigest(Digest digest, const void* bytes, size_t size);

// Releases the digest; with `out` (kLargestDigest bytes) it writes the digest there first.
// Returns its length, or 0 when it failed or `out` is null.
KV_SYS_API size_t EndDigest(Digest digest, uint8_t* out);

// ---- Processes, windows and file lookup ------------------------------------------------------
// What the help launcher needs to find a file and a program and to start and end a viewer.

// The attribute bits callers test (Windows numbers), and the result for a name that is no file.
constexpr uint32_t kNoFileAttributes = 0xFFFFFFFF; // INVALID_FILE_ATTRIBUTES
constexpr uint32_t kFileAttributeDirectory = 0x10;
constexpr uint32_t kFileAttributeDevice = 0x40;
constexpr uint32_t kFileAttributeNormal = 0x80;

// As GetFileAttributesW. posix: a backslash counts as a slash (the plug-in builds its paths the
// Windows way); a directory is kFileAttributeDirectory, a regular file kFileAttributeNormal, and
// anything else (character and block devices, pipes, sockets) kFileAttributeDevice.
[[nodiscard]] KV_SYS_API uint32_t FileAttributes(const char16_t* path);

// Rewrites, in place, a path built the Windows way into the form the file system and the
// programs started on it take. win32: unchanged; posix: every backslash becomes a slash.
KV_SYS_API void UseFileSystemSeparators(char16_t* path);

// As SearchPathW without a path of its own: the full name of the file `fileName` along the
// system's standard search path. posix: the directories of PATH, for an executable regular file.
// Returns the length, or 0 when it is not found or does not fit in `capacity` (terminator
// included).
[[nodiscard]] KV_SYS_API uint32_t SearchProgram(const char16_t* fileName, char16_t* out,
                                                uint32_t capacity);

// Starts the program `application` with `commandLine` (quoted the Windows way, the program's
// own name first), inheriting no handles, in the caller's environment and current directory.
// Returns the new process's handle, or null when it could not be started. posix: the command
// line is split into arguments by the Windows rules for quotes, blanks and backslashes.
[[nodiscard]] KV_SYS_API Handle StartProcess(const char16_t* application,
                                             const char16_t* commandLine);

// Terminates the process unconditionally with `exitCode` (posix: SIGKILL, and the child is
// reaped) and releases its handle. Does nothing for null.
KV_SYS_API void EndProcess(Handle process, uint32_t exitCode);

// The Windows directory (GetWindowsDirectoryW) into `out`; the length, or 0 when it does not
// fit. posix: the environment variable windir when it is set, else "/".
[[nodiscard]] KV_SYS_API uint32_t WindowsDirectory(char16_t* out, uint32_t capacity);

// A message box with a single OK button, owned by the foreground window; returns when the user
// has closed it. posix: the caption and the text, each ending a line, go to standard error.
KV_SYS_API void ShowMessageBox(const char16_t* caption, const char16_t* text);

} // namespace sys
