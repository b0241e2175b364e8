// Tests that attach the real plug-in to a host session in-process, as the host would bind it
// from the library.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "session/plugin_slot.h"
#include "session/session.h"
#include "fake/fake_sys.h"
#include "fake/linked_plugin.h"

// The plug-in's version as its greeting ("0.66.4", three parts) and its version lines
// ("0.66.4.0", four) show it: the build's, from CMakeLists.txt's project().
inline std::string PluginVersionText(int parts) {
    std::string text = std::to_string(KV_VERSION_MAJOR) + "." + std::to_string(KV_VERSION_MINOR) +
                       "." + std::to_string(KV_VERSION_PATCH);
    return parts == 4 ? text + "." + std::to_string(KV_VERSION_TWEAK) : text;
}

// A host session over the fake backend with the whole plug-in attached, its output piped as in a
// script; the plug-in is unloaded and the fake reset after each test.
class AttachedPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        host::InitSession(session);
        session.script.pipe = true;
        ASSERT_EQ(host::AttachPlugin(session, host::BindExportTable(LinkedPluginExports())),
                  host::LoadOutcome::Loaded);
    }
    void TearDown() override {
        if (session.plugin.loaded) host::UnloadPlugin(session, 1);
        fake::Reset();
    }

    host::Session session;
    host::ActivateSession active{session};
};
