// Feature lookup in the plug-in's announced feature list.
#include "session/plugin_slot.h"

#include "text/u16.h"

namespace host {

namespace {

char16_t PrefixOf(FeatureKind kind) {
    switch (kind) {
    case FeatureKind::Function:
        return u'@';
    case FeatureKind::Variable:
        return u'_';
    case FeatureKind::Command:
        break;
    }
    return 0;
}

bool IsKind(std::u16string_view entry, FeatureKind kind) {
    char16_t first = entry.empty() ? 0 : entry.front();
    if (kind == FeatureKind::Command) return first != u'@' && first != u'_';
    return first == PrefixOf(kind);
}

} // namespace

// The export's symbol name: a function's "@" becomes "f_"; lower case ASCII. Empty when the
// entry holds a character that no symbol name can.
std::string ExportNameOf(std::u16string_view entry, FeatureKind kind) {
    std::string name;
    if (kind == FeatureKind::Function) {
        name = "f_";
        entry.remove_prefix(1);
    }
    for (char16_t c : entry) {
        if (c == 0 || c > 0x7E) return {};
        name += char(text::AsciiLower(c));
    }
    return name;
}

PluginBinding BindExportTable(const ExportTable& table) {
    auto find = [](void* context, const char* name) -> void* {
        const auto* exports = static_cast<const ExportTable*>(context);
        for (size_t i = 0; i < exports->count; ++i)
            if (std::string_view(exports->entries[i].name) == name)
                return exports->entries[i].address;
        return nullptr;
    };
    return PluginBinding{const_cast<ExportTable*>(&table), find};
}

FeatureEntry FindFeature(const PluginSlot& plugin, FeatureKind kind, std::u16string_view name) {
    FeatureEntry found;
    if (!plugin.loaded || name.empty()) return found;
    for (const std::u16string& entry : plugin.features) {
        if (!IsKind(entry, kind)) continue;
        std::u16string_view bare = entry;
        if (kind == FeatureKind::Function) bare.remove_prefix(1);
        if (!text::EqualNoCase(bare, name)) continue;
        found.announced = entry;
        found.exportName = ExportNameOf(entry, kind);
        found.lookup = FeatureLookup::ExportMissing;
        if (!found.exportName.empty() && plugin.binding.find != nullptr) {
            void* symbol = plugin.binding.find(plugin.binding.context, found.exportName.c_str());
            if (symbol != nullptr) {
                found.entry = reinterpret_cast<FeatureExport>(symbol);
                found.lookup = FeatureLookup::Found;
            }
        }
        return found;
    }
    return found;
}

std::vector<std::u16string> SplitFeatureList(std::u16string_view list) {
    std::vector<std::u16string> entries;
    while (!list.empty()) {
        size_t comma = list.find(u',');
        std::u16string_view entry = list.substr(0, comma);
        if (!entry.empty()) entries.emplace_back(entry);
        if (comma == std::u16string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return entries;
}

} // namespace host
