// Every export of the real plug-in, for tests that attach it to a host session in-process as
// the host would bind it from the library.
#pragma once

#include <gtest/gtest.h>
#include <iterator>

#include "commands/bbdump.h"
#include "commands/bblist.h"
#include "content/content_exports.h"
#include "engine/plugin_slot.h"
#include "engine/session.h"
#include "fake/fake_sys.h"
#include "frame/exports.h"
#include "store/store_exports.h"
#include "values/values_exports.h"

inline const host::ExportTable& PluginExports() {
#define KV_EXPORT_ENTRY(name)                                                                      \
    { #name, reinterpret_cast < void*>(&name) }
    static const host::NamedExport entries[] = {
        KV_EXPORT_ENTRY(InitializePlugin),
        KV_EXPORT_ENTRY(ShutdownPlugin),
        KV_EXPORT_ENTRY(GetPluginInfo),
        KV_EXPORT_ENTRY(Usage),
        KV_EXPORT_ENTRY(Help),
        KV_EXPORT_ENTRY(bbdump),
        KV_EXPORT_ENTRY(bblist),
        KV_EXPORT_ENTRY(f_balloc),
        KV_EXPORT_ENTRY(f_bfree),
        KV_EXPORT_ENTRY(f_bfreeall),
        KV_EXPORT_ENTRY(f_bfill),
        KV_EXPORT_ENTRY(f_brandfill),
        KV_EXPORT_ENTRY(f_bload),
        KV_EXPORT_ENTRY(f_bsave),
        KV_EXPORT_ENTRY(f_bmemcmp),
        KV_EXPORT_ENTRY(f_bmemcpy),
        KV_EXPORT_ENTRY(f_bpeekx),
        KV_EXPORT_ENTRY(f_bpokex),
        KV_EXPORT_ENTRY(f_bmodval),
        KV_EXPORT_ENTRY(_bblasterr),
        KV_EXPORT_ENTRY(_bloadsize),
    };
#undef KV_EXPORT_ENTRY
    static const host::ExportTable table{entries, std::size(entries)};
    return table;
}

// A host session over the fake backend with the whole plug-in attached, its output piped as in a
// script; the plug-in is unloaded and the fake reset after each test.
class AttachedPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        host::InitSession(session);
        session.script.pipe = true;
        ASSERT_EQ(host::AttachPlugin(session, host::BindExportTable(PluginExports())),
                  host::LoadOutcome::Loaded);
    }
    void TearDown() override {
        if (session.plugin.loaded) host::UnloadPlugin(session, 1);
        fake::Reset();
    }

    host::Session session;
    host::ActivateSession active{session};
};
