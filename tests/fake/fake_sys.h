// The test backend of the system seam: every sys:: function works in memory, and this header is
// how a test arranges the world and inspects what the code did. Call fake::Reset() before each
// test; it restores every default named below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sys/sys.h"

namespace fake {

// Restores all defaults: empty output and environment, no console, the default identities, an
// empty heap (every live fake block is released), an empty registry and the default clock.
void Reset();

// ---- Standard streams and the console device -------------------------------------------------

// Everything written to standard output, standard error, or any handle from OpenConsoleDevice,
// as UTF-8.
std::string StdOut();
std::string StdErr();
std::string ConsoleDeviceText();
// Writes to standard output since the last ClearOutput.
int StdOutWrites();
void ClearOutput();

// Whether a standard stream counts as a console (default: none does).
void SetIsConsole(sys::StdStream stream, bool console);

// Makes every write to a standard stream fail (WriteText returns false, nothing is captured;
// for standard output StandardOutputError gives a full disk).
void SetWriteFails(sys::StdStream stream, bool fails);

// The next `count` calls of OpenConsoleDevice fail (default 0).
void FailConsoleOpens(int count);
// Calls of OpenConsoleDevice since the reset, failed ones included.
int ConsoleOpenAttempts();
// Console device handles opened and not yet closed.
int OpenConsoleDevices();

// ---- Console window width -------------------------------------------------------------------

// ConsoleWindowColumns reports these: for standard output while it counts as a console, and for
// every handle from OpenConsoleDevice. 0 stands for a console whose size cannot be read.
constexpr uint32_t kDefaultConsoleColumns = 80;
void SetConsoleWindowColumns(uint32_t columns);
void SetConsoleDeviceColumns(uint32_t columns);

// ---- Console window, colours, keys and control events ----------------------------------------
// One console stands behind every handle that counts as a console (standard streams made so by
// SetIsConsole, and console device handles): it has a window of kDefaultConsoleRows rows and the
// attribute 0x07 until a test says otherwise.

constexpr uint32_t kDefaultConsoleRows = 25;
constexpr uint16_t kDefaultConsoleAttribute = 0x07;

// The rows of the visible window; 0 makes reading the window size fail.
void SetConsoleRows(uint32_t rows);
void SetConsoleAttribute(uint16_t attribute);
uint16_t ConsoleAttribute();
// While set, reading the console's attribute fails.
void SetConsoleAttributeUnreadable(bool unreadable);

// Everything written to standard output and to console device handles, in order, with every
// change of the console attribute shown as "{XX}" (two upper-case hexadecimal digits).
std::string ConsoleTranscript();

// Keys as ReadKeyCode gives them, one code per unit of `keys` (0xE0 and a scan code for an
// extended key). They count as waiting once the tick count has advanced `afterMillis` from now;
// keys queued later come after them.
void QueueKeys(std::u16string_view keys, uint32_t afterMillis = 0);
size_t QueuedKeys();
// ReadKeyCode calls that found no key at all. They give Esc, and with no key queued KeyWaiting
// says one is there after ten minutes of fake time, so that a test short of keys cannot hang.
int KeyReadsWithoutKey();
// BeginKeyInput calls not yet ended by EndKeyInput.
int KeyInputDepth();

// KeyIsDown answers true for `key` on its next `polls` calls.
void HoldKey(sys::KeyName key, int polls);
int KeyStatePolls(sys::KeyName key);

// The installed control handler receives `event` once the tick count has advanced `afterMillis`
// from now (seen when time moves), or at the `writes`-th write to standard output from now.
void RaiseControlEventAfter(uint32_t event, uint32_t afterMillis);
void RaiseControlEventAtWrite(uint32_t event, int writes);
// The installed control handler receives `event` during read number `piece` of a file (0 is
// the first since the reset), as when Ctrl-C is pressed while a file is read.
void RaiseControlEventAtRead(uint32_t event, int piece);
bool ControlHandlerInstalled();
// Calls of AddControlHandler and RemoveControlHandler that changed the installed handler.
int ControlHandlerChanges();

// ---- Process and time ------------------------------------------------------------------------

constexpr uint32_t kDefaultProcessId = 0x1234;
void SetProcessId(uint32_t id);

// TickCount starts at 0 and moves only by AdvanceTicks, SetTickCount and SleepMillis.
void SetTickCount(uint32_t ticks);
void AdvanceTicks(uint32_t millis);

// SleepMillis returns at once; it adds to this total and advances the tick count.
uint64_t SleptMillis();
int SleepCalls();

// ---- Code pages ------------------------------------------------------------------------------

constexpr uint32_t kDefaultAnsiCodePage = 1252;
constexpr uint32_t kDefaultOemCodePage = 437;
void SetAnsiCodePage(uint32_t codePage);
void SetOemCodePage(uint32_t codePage);

// ---- Heap ------------------------------------------------------------------------------------
// Blocks are real, zero-filled memory mapped at chosen addresses below 4 GiB, so that code can
// work on them through their address. By default the first block starts at kFirstHeapAddress
// and each further block at the next page after an unmapped guard page that follows the block
// before, so addresses are the same in every run and overruns past a page fault at once.

constexpr uintptr_t kFirstHeapAddress = 0x00A41000;

// The next block starts exactly at `address` (a multiple of 8, below 4 GiB, not sharing a page
// with a live block, else that allocation fails); later blocks follow it.
void SetNextHeapAddress(uintptr_t address);

// While set, HeapAllocZeroed returns null.
void SetHeapRefuses(bool refuses);

// Blocks larger than this are refused (default: no limit), so that a long run of random sizes
// stays within the machine's memory.
void SetLargestHeapBlock(size_t size);

size_t LiveHeapBlocks();

// ---- Registry and clock ----------------------------------------------------------------------
// The registry starts empty at every reset; a test inspects it through the sys:: calls or the
// helpers below (a path names a key below a root, with backslashes between key names).

// While set, CreateRegistryKey fails (access denied) for every key, existing or not.
void SetKeyCreationFails(bool fails);
// While set, SetRegistryValue fails (access denied).
void SetValueWritesFail(bool fails);

bool RegistryKeyExists(sys::RegistryRoot root, std::u16string_view path);
bool IsVolatileKey(sys::RegistryRoot root, std::u16string_view path);
size_t RegistryValueCount(sys::RegistryRoot root, std::u16string_view path);
// Registry handles opened and not yet closed.
size_t OpenRegistryKeys();

// SystemTimeUtc reports this until a test sets another time: Friday, 15 March 2024,
// 12:34:56.789.
constexpr sys::SystemTime kDefaultSystemTime{2024, 3, 5, 15, 12, 34, 56, 789};
void SetSystemTime(const sys::SystemTime& now);

// LocalTimeOf adds this offset (in minutes, default 0) to the UTC time; while SetLocalTimeFails
// is set it fails.
void SetLocalTimeOffset(int minutes);
void SetLocalTimeFails(bool fails);

// ---- Files, paths and modules ----------------------------------------------------------------

// FullPathName resolves relative names against this directory (default "/fake/cwd").
void SetCurrentDirectory(std::u16string_view directory);

// What ExecutablePath and ModulePathOf report (defaults "/fake/bin/plughost" and
// "/fake/bin/Korvanite.so").
void SetExecutablePath(std::u16string_view path);
void SetModulePath(std::u16string_view path);

// A file that ReadWholeFile finds by its full path name (relative names resolve against the fake
// current directory). A name that is not such a file is read from the real file system as given.
void AddFile(std::u16string_view path, std::string_view bytes);

// LoadSharedLibrary always fails (tests bind the plug-in in-process); this counts its calls.
int LibraryLoadAttempts();

// ---- File transfer, clipboard and random bytes -----------------------------------------------
// The files that OpenFileForReading and CreateFileForWriting work on are kept in memory by full
// path name (relative names resolve against the fake current directory); they are apart from
// the files of AddFile. Faults are counted from the reset. LastErrorCode reports the code of
// the last failing call.

void PutTransferFile(std::u16string_view path, std::string_view bytes);
// The bytes of a file, or nullopt when there is none.
std::optional<std::string> TransferFile(std::u16string_view path);

// The next `count` opens of either kind fail with this Windows error code.
void FailFileOpens(uint32_t code, int count = 1);
// From now on FileSizeOf reports this size for every file, whatever its bytes.
void SetReportedFileSize(uint64_t size);
// FileSizeOf fails with this code (0: it works).
void SetFileSizeFails(uint32_t code);
// Read or write number `piece` (0 is the first since the reset) fails with `code`. A write
// fault of code 0 reports success with nothing written.
void FailReadPiece(int piece, uint32_t code);
void FailWritePiece(int piece, uint32_t code);
// The sizes asked for by every read and write since the reset.
std::vector<uint32_t> ReadPieceSizes();
std::vector<uint32_t> WritePieceSizes();
// File handles opened and not yet closed.
int OpenTransferFiles();

// The clipboard's data block exactly as given (zeros within it, or none at its end, included);
// SetClipboardText puts the text and a zero. The default is a clipboard without text.
void SetClipboardUnits(std::u16string_view units);
// The next `count` attempts to open the clipboard fail with this code.
void FailClipboardOpens(uint32_t code, int count = 1);
// Whether the clipboard is open or its text locked now.
bool ClipboardIsOpen();
bool ClipboardIsLocked();

// The fake generator gives the bytes 1, 2, ..., 255, 1, 2, ... in order from the reset on, never
// 0, so that a test sees exactly which bytes were filled.
void SetRandomOpenFails(bool fails);
// Fill number `piece` (0 first) fails, having written nothing.
void FailRandomPiece(int piece);
std::vector<uint32_t> RandomPieceSizes();
// Random sources opened and not yet closed.
int OpenRandomSources();

// ComputeDigest gives a digest of the algorithm's length, each byte the low byte of the size
// hashed, and nothing while SetDigestFails is set. DigestSizes are the sizes of every call.
// A digest in pieces gives the same for the size of all its pieces (which then joins
// DigestSizes); while SetDigestFails is set it cannot be begun.
void SetDigestFails(bool fails);
std::vector<size_t> DigestSizes();
// AddToDigest number `piece` (0 first) fails, and with it the digest.
void FailDigestPiece(int piece);
// The sizes of every AddToDigest call.
std::vector<size_t> DigestPieceSizes();
// Digests begun and not yet ended.
int OpenDigests();

// ---- Processes, windows and file lookup ------------------------------------------------------
// FileAttributes treats a backslash as a slash, as the posix backend does, and resolves the
// name like FullPathName: files of AddFile are normal files, AddDirectory and AddDevice add the
// others, and any other name is no file. Nothing here touches the real system.

void AddDirectory(std::u16string_view path);
void AddDevice(std::u16string_view path);

// Where SearchProgram finds a program by its file name (default: nowhere).
void SetProgramLocation(std::u16string_view fileName, std::u16string_view fullPath);

// While set, StartProcess fails.
void SetProcessStartFails(bool fails);

// Every process StartProcess started, in order, with what EndProcess did to it.
struct StartedProcess {
    std::u16string application;
    std::u16string commandLine;
    sys::Handle handle;
    bool ended;
    uint32_t exitCode;
};
const std::vector<StartedProcess>& StartedProcesses();

// What happened to processes, in order: "start N" and "end N" with N the 1-based number of the
// process in StartedProcesses.
const std::vector<std::string>& ProcessEvents();

// What WindowsDirectory reports (default "C:\Windows").
void SetWindowsDirectory(std::u16string_view directory);

struct ShownMessageBox {
    std::u16string caption;
    std::u16string text;
};
const std::vector<ShownMessageBox>& MessageBoxes();

} // namespace fake
