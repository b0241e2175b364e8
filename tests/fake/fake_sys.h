// The test backend of the system seam: every sys:: function works in memory, and this header is
// how a test arranges the world and inspects what the code did. Call fake::Reset() before each
// test; it restores every default named below.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sys/sys.h"

namespace fake {

// Restores all defaults: empty output and environment, no console, the default identities, an
// empty heap (every live fake block is released), an empty registry, the default clock and no
// fault planned.
void Reset();

// ---- Faults ----------------------------------------------------------------------------------
// Every call that can fail in reality is counted, and a plan makes the Nth of them fail as the
// real system fails it: with the Windows error code the real backend would give (LastErrorCode
// reports it where the real call leaves one), and with nothing changed.

enum class Call {
    Any,              // any call below
    HeapBlock,        // HeapAllocZeroed: null (8, no memory)
    Memory,           // the C++ runtime's new (std::nothrow): null
    FileOpen,         // the opens: 32 to read (shared without reading), 5 to write (access denied)
    FileRead,         // ReadFilePiece: 23 (a read error)
    FileWrite,        // WriteFilePiece: 112 (the disk is full)
    FileSeek,         // SeekFile: 59 (a network error)
    FileSize,         // FileSizeOf: 1117 (an input/output error)
    FileClose,        // CloseFile: 112 (what waited to be written did not fit); closed all the same
    RegistryCreate,   // CreateRegistryKey: 5
    RegistryOpen,     // OpenRegistryKey: 5
    RegistrySet,      // SetRegistryValue: 1450 (no system resources)
    RegistryRead,     // QueryRegistryValue, EnumRegistryValue: 1018 (the key was deleted)
    RegistryDelete,   // DeleteRegistryValue, DeleteRegistryKey: 5
    ClipboardOpen,    // OpenClipboardForReading: 5 (another window holds it)
    ClipboardRead,    // LockClipboardText: null (157, the block cannot be locked)
    RandomOpen,       // OpenRandomSource: null (0x80090016)
    RandomFill,       // FillRandom: 0x80090020, nothing written
    Digest,           // ComputeDigest 0, BeginDigest null, AddToDigest false, EndDigest 0
    CodePage,         // MultiByteToWide 0, WideToMultiByte -1 with nothing unheld (8)
    ConsoleOpen,      // OpenConsoleDevice: null (5)
    ControlHandler,   // AddControlHandler, RemoveControlHandler: false (8)
    StreamWrite,      // WriteText to a standard stream, the console device or a file: false (112);
                      // standard output, or the file that is standard output, then takes no
                      // more, as the real backends' standard output does not
    EnvironmentWrite, // SetEnv: false (8)
    ProcessStart,     // StartProcess: null (1455, the paging file is too small)
};

// A code for "the call's usual failure" (above), and for a read or write that reports success
// having moved nothing (a file that became shorter, a device that took nothing); any other call
// given that code fails as it usually does.
constexpr uint32_t kUsualCode = UINT32_MAX;
constexpr uint32_t kMovesNothing = UINT32_MAX - 1;
// A count for "every call from then on".
constexpr int kEveryCall = INT_MAX;

// From now on, the `nth` call of the kind (1: the next one) fails with `code`, and with it the
// `count - 1` calls of the kind after it. Plans add up, each counting on its own.
void PlanFault(Call call, int64_t nth = 1, uint32_t code = kUsualCode, int count = 1);
void ClearFaults();

// While off, calls are neither counted nor failed: for a harness's own calls (default on).
void CountFallibleCalls(bool on);
// Asked at every call counted where no plan fails it: the code to fail it with (kUsualCode for
// its usual failure), or nothing. Reset removes it.
using FallibleCallHook = std::optional<uint32_t> (*)(Call call);
void SetFallibleCallHook(FallibleCallHook hook);
// While on, the blocks of the C++ runtime's new (std::nothrow) made while calls are counted are
// kept, for a harness to see that they were given back; TakeWatchedMemory hands them over.
void WatchMemory(bool on);
std::vector<void*> TakeWatchedMemory();
// Calls counted since the reset, and how many a plan failed; the kind of the last failed.
uint64_t FallibleCalls();
int FaultsMet();
Call LastFaultCall();
const char* CallName(Call call);

// ---- Standard streams and the console device -------------------------------------------------

// Everything written to standard output, standard error, or any handle from OpenConsoleDevice,
// as UTF-8.
const std::string& StdOut();
const std::string& StdErr();
const std::string& ConsoleDeviceText();
// Writes to standard output since the last ClearOutput.
int StdOutWrites();
void ClearOutput();

// Whether a standard stream counts as a console (default: none does).
void SetIsConsole(sys::StdStream stream, bool console);

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

// Blocks larger than this are refused (default: no limit), so that a long run of random sizes
// stays within the machine's memory.
void SetLargestHeapBlock(size_t size);

size_t LiveHeapBlocks();

struct HeapBlock {
    uintptr_t address;
    size_t size;
};
// The live blocks in the order of their addresses.
std::vector<HeapBlock> LiveHeapBlockList();

// ---- Registry and clock ----------------------------------------------------------------------
// The registry starts empty at every reset; a test inspects it through the sys:: calls or the
// helpers below (a path names a key below a root, with backslashes between key names).

bool RegistryKeyExists(sys::RegistryRoot root, std::u16string_view path);
bool IsVolatileKey(sys::RegistryRoot root, std::u16string_view path);
size_t RegistryValueCount(sys::RegistryRoot root, std::u16string_view path);
struct RegistryEntry {
    std::u16string name;
    uint32_t type;
    std::vector<uint8_t> data;
};
// The values of a key in their order, read without a handle (none when there is no key).
std::vector<RegistryEntry> RegistryValuesOf(sys::RegistryRoot root, std::u16string_view path);
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

// LoadSharedLibrary fails (tests bind the plug-in in-process) but for the one library a test
// provides: its full path name, and how its symbols are found. This counts every load's call.
using SymbolFinder = void* (*)(const char* name);
void ProvideLibrary(std::u16string_view path, SymbolFinder find);
int LibraryLoadAttempts();

// ---- File transfer, clipboard and random bytes -----------------------------------------------
// The files that OpenFileForReading and CreateFileForWriting work on are kept in memory by full
// path name (relative names resolve against the fake current directory); they are apart from
// the files of AddFile. LastErrorCode reports the code of the last failing call.

// The bytes of such a file. Large ones lie in huge pages where the system gives them, as the
// heap's large blocks do, so that a harness that forks (the fault sweep) shares them in few
// page-table entries.
template <typename T>
struct LargeBlockAllocator {
    using value_type = T;
    LargeBlockAllocator() = default;
    template <typename U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) {}
    T* allocate(size_t count);
    void deallocate(T* block, size_t count);
    bool operator==(const LargeBlockAllocator&) const = default;
};
using FileBytes = std::basic_string<char, std::char_traits<char>, LargeBlockAllocator<char>>;

void PutTransferFile(std::u16string_view path, std::string_view bytes);
// The bytes of a file, or nullopt when there is none.
std::optional<std::string> TransferFile(std::u16string_view path);
// Every file by its full path name; how often any of them changed since the reset, and each
// file by how often it was written or emptied.
const std::map<std::u16string, FileBytes>& TransferFiles();
uint64_t TransferFileChanges();
const std::map<std::u16string, uint64_t>& TransferFileVersions();

// From now on FileSizeOf reports this size for every file, whatever its bytes.
void SetReportedFileSize(uint64_t size);
// The sizes asked for by every read and write since the reset.
std::vector<uint32_t> ReadPieceSizes();
std::vector<uint32_t> WritePieceSizes();
// File handles opened and not yet closed.
int OpenTransferFiles();

// The clipboard's data block exactly as given (zeros within it, or none at its end, included);
// SetClipboardText puts the text and a zero. The default is a clipboard without text.
void SetClipboardUnits(std::u16string_view units);
// Whether the clipboard is open or its text locked now.
bool ClipboardIsOpen();
bool ClipboardIsLocked();

// The fake generator gives the bytes 1, 2, ..., 255, 1, 2, ... in order from the reset on, never
// 0, so that a test sees exactly which bytes were filled.
std::vector<uint32_t> RandomPieceSizes();
// Random sources opened and not yet closed.
int OpenRandomSources();

// ComputeDigest gives a digest of the algorithm's length, each byte the low byte of the size
// hashed. DigestSizes are the sizes of every call. A digest in pieces gives the same for the
// size of all its pieces (which then joins DigestSizes).
std::vector<size_t> DigestSizes();
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
