// The lumenar program as a user runs it: options, commands, exit codes and messages. The host's selector
// loop and handle bookkeeping, against a scripted stand-in for the module; and the built module loaded
// with dlopen, the way the lumenar host loads it.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/Tool/ScriptedModule.h"
#include "tests/Tool/ToolTestSupport.h"
#include "tools/host/HostSession.h"
#include "tools/host/PluginModule.h"

namespace {

TEST(LumenarCommandTest, OptionsCommandsAndExitCodes) {
    const std::string module = LUMENAR_TEST_MODULE;
    const std::string m = "--module '" + module + "' ";
    struct Case {
        std::string arguments;
        int exitCode;
        const char* inOut;  // expected in standard output ("" for none)
        const char* inErr;  // expected in standard error ("" for none)
    };
    const Case cases[] = {
        {"--help", 0, "usage: lumenar", ""},
        {"--version", 0, "lumenar 4.0\n", ""},
        {"", 2, "", "lumenar: no command given"},
        {"bogus", 2, "", "lumenar: unknown command 'bogus'"},
        {"--frobnicate about", 2, "", "lumenar: unknown option '--frobnicate'"},
        {"--module", 2, "", "lumenar: --module needs a path"},
        {"--module /nonexistent/x.so about", 1, "",
         "lumenar: cannot load module /nonexistent/x.so: /nonexistent"},
        {"about", 0, "", "Lumenar 5 File Format"},
        {"about", 0, "", "Lumenar 5 files."},
        {"about extra", 2, "", "lumenar: about takes no arguments"},
        {"--module='" + module + "' about", 0, "", "A plug-in image format module that reads and writes"},
        // Usage errors (2) and unreadable inputs (1) of every command.
        {m + "flatten a.lmn b.png c.png", 2, "", "lumenar: flatten takes at most an input and an output"},
        {m + "flatten --sideways a.lmn", 2, "", "lumenar: flatten: unknown option '--sideways'"},
        {m + "flatten a.lmn -o", 2, "", "lumenar: flatten: -o needs a path"},
        {m + "flatten -o out.png a.lmn b.lmn", 2, "", "several documents need a folder after -o"},
        {m + "flatten - -", 2, "", "standard input can be read once"},
        {m + "flatten missing.lmn", 1, "", "lumenar: cannot open missing.lmn: No such file or directory"},
        {m + "info", 2, "", "lumenar: info needs a document"},
        {m + "info -f colour a.lmn", 2, "", "lumenar: info: unknown field 'colour' (fields: width, height,"},
        {m + "info --yaml a.lmn", 2, "", "lumenar: info: unknown option '--yaml'"},
        {m + "info missing.lmn", 1, "", "lumenar: cannot open missing.lmn: No such file or directory"},
        {m + "roundtrip", 2, "", "lumenar: roundtrip needs a document to read and one to write"},
        {m + "roundtrip in.lmn", 2, "", "lumenar: roundtrip needs"},
        {m + "roundtrip in.lmn out.lmn extra.lmn", 2, "", "lumenar: roundtrip needs"},
        {m + "roundtrip --fast in.lmn out.lmn", 2, "", "lumenar: roundtrip: unknown option '--fast'"},
        {m + "roundtrip missing.lmn out.lmn", 1, "", "lumenar: cannot open missing.lmn"},
        {m + "layers a.lmn", 2, "", ""},
        {m + "layers --flat a.lmn d", 2, "", ""},
        {m + "compose stack.json", 2, "", ""},
        {m + "compose missing.json o.lmn", 1, "", ""},
    };
    const TempFolder folder;
    for (const Case& c : cases) {
        const ToolOutcome outcome = RunTool(folder.Path(), c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.arguments << "\n" << outcome.err;
        EXPECT_TRUE(*c.inOut == '\0' || Contains(outcome.out, c.inOut)) << c.arguments << ": " << outcome.out;
        EXPECT_TRUE(*c.inErr == '\0' || Contains(outcome.err, c.inErr)) << c.arguments << ": " << outcome.err;
        EXPECT_TRUE(c.exitCode == 0 || outcome.out.empty())
            << c.arguments << ": errors stay off standard output";
        EXPECT_FALSE(std::filesystem::exists(folder.Path("out.lmn"))) << c.arguments;
    }
    // Every command's help starts with examples of that command.
    for (const char* command : {"flatten", "info", "layers", "compose", "roundtrip", "about"}) {
        const ToolOutcome help = RunTool(folder.Path(), std::string(command) + " --help");
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("examples:\n  lumenar ") + command, 0), 0u) << help.out;
        EXPECT_TRUE(Contains(help.out, std::string("usage: lumenar [--module PATH] [--verbose] ") + command));
    }
}

TEST(HostSessionTest, FailuresEndTheOperationAsAHostWould) {
    struct Case {
        int16 failSelector;
        int16 failResult;
        std::vector<int16> expectedCalls;
    };
    const Case cases[] = {
        {kSelectorReadPrepare, -108, {1}},
        {kSelectorReadStart, 1, {1, 2}},
        {kSelectorReadContinue, -108, {1, 2, 3, 4}},
        {kSelectorReadFinish, 7, {1, 2, 3, 3, 4}},
    };
    for (const Case& c : cases) {
        UseScript({.failSelector = c.failSelector, .failResult = c.failResult});
        HostSession session(&ScriptedEntry);
        const ReadSummary summary = session.ReadDocument(0, [](const TileView&) {});
        EXPECT_EQ(gLog.calls, c.expectedCalls) << c.failSelector;
        EXPECT_EQ(summary.result, c.failResult) << c.failSelector;
        EXPECT_EQ(summary.failedSelector, c.failSelector);
    }
}

TEST(HostSessionTest, AModuleThatNeverEndsIsCutOffAtTheImageArea) {
    UseScript({.columns = 6, .endless = true});  // room for three 2 x 1 tiles, and more keep coming
    HostSession session(&ScriptedEntry);
    int32 sunk = 0;
    const ReadSummary summary = session.ReadDocument(0, [&](const TileView&) { ++sunk; });
    EXPECT_EQ(std::make_tuple(summary.overDelivered, sunk, summary.tiles, summary.failedSelector,
                              summary.result != 0, gLog.calls.back()),
              std::make_tuple(true, 3, 3, kSelectorReadContinue, true, kSelectorReadFinish));
}

TEST(ModuleLoadTest, ExportsOnlyTheEntryAndTheDialogProcedure) {
    std::string error;
    const std::unique_ptr<PluginModule> module = PluginModule::Load(LUMENAR_TEST_MODULE, error);
    ASSERT_NE(module, nullptr) << error;
    EXPECT_NE(module->Entry(), nullptr);
    EXPECT_NE(module->Symbol("AboutDlgProc"), nullptr);
    for (const char* hidden : {"_Z13ReportFailurePKcS0_i", "_ZN8Platform9TickCountEv",
                               "_Z11RunSelectorsR11PluginState", "_Z10ShowSignalPKcS0_i"})
        EXPECT_EQ(module->Symbol(hidden), nullptr) << hidden;
}

}  // namespace
