// The plug-in the host holds: how its exports are found, and what its information record
// announced.
#pragma once

#include "frame/exports.h"
#include "sys/sys.h"

#include <string>
#include <string_view>
#include <vector>

namespace host {

// The symbol of the plug-in's `_clver$` export: decorated on Windows (x64 has no __stdcall and
// 64-bit pointers), plain natively.
#if defined(_WIN64)
inline constexpr char kClverSymbol[] = "?_clver$@@YAHPEA_W@Z";
#elif defined(_WIN32)
inline constexpr char kClverSymbol[] = "?_clver$@@YGHPA_W@Z";
#else
inline constexpr char kClverSymbol[] = "_clver$";
#endif

// Finds a plug-in export by its symbol name; null when there is none. The loader answers from
// the shared library; unit tests answer from the plug-in objects linked into them.
struct PluginBinding {
    void* context = nullptr;
    void* (*find)(void* context, const char* name) = nullptr;
};

// A list of exports by name, for binding a plug-in linked into the same program.
struct NamedExport {
    const char* name;
    void* address;
};
struct ExportTable {
    const NamedExport* entries;
    size_t count;
};

// A binding that finds exports in `table`, which must outlive it. Entries with a null address
// count as missing.
PluginBinding BindExportTable(const ExportTable& table);

using InitializeExport = int(KV_API*)();
using ShutdownExport = int(KV_API*)(int removeRecords);
using GetInfoExport = PluginInfoRecord*(KV_API*)();
using UsageExport = int(KV_API*)(const HostChar* name, HostChar* out);
using HelpExport = int(KV_API*)(const HostChar* name);

struct PluginSlot {
    bool loaded = false;
    sys::Handle library = nullptr; // null when the plug-in was bound directly
    PluginBinding binding;
    ShutdownExport shutdown = nullptr;
    UsageExport usage = nullptr; // optional
    HelpExport help = nullptr;   // optional
    std::vector<std::u16string> features;
};

// The three kinds of feature that the feature list announces.
enum class FeatureKind { Command, Function, Variable };

enum class FeatureLookup { NotAnnounced, ExportMissing, Found };

struct FeatureEntry {
    FeatureLookup lookup = FeatureLookup::NotAnnounced;
    FeatureExport entry = nullptr;
    std::u16string announced; // the feature list's spelling, e.g. "@balloc"
    std::string exportName;   // e.g. "f_balloc"
};

// The symbol name of a feature's export: a function's "@" becomes "f_"; lower case ASCII. Empty
// when the entry holds a character that no symbol name can.
std::string ExportNameOf(std::u16string_view entry, FeatureKind kind);

// Looks a feature up by the name the script used (without "@" for a function; with its "_" for
// a variable), in any case.
FeatureEntry FindFeature(const PluginSlot& plugin, FeatureKind kind, std::u16string_view name);

// Splits a feature list at its commas, dropping empty entries.
std::vector<std::u16string> SplitFeatureList(std::u16string_view list);

} // namespace host
