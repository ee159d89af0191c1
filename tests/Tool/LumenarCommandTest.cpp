// The lumenar program as a user runs it: options, commands, exit codes and messages.
#include <gtest/gtest.h>

#include "tests/Tool/ToolTestSupport.h"

namespace {

TEST(LumenarCommandTest, OptionsCommandsAndExitCodes) {
    const std::string module = LUMENAR_TEST_MODULE;
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
        {"--module /nonexistent/x.so about", 1, "", "lumenar: cannot load module /nonexistent/x.so: /nonexistent"},
        {"about", 0, "", "Lumenar 5 File Format"},
        {"about", 0, "", "Lumenar 5 files."},
        {"about extra", 2, "", "lumenar: about takes no arguments"},
        {"about --help", 0, "usage: lumenar [--module PATH] [--verbose] about", ""},
        {"--module='" + module + "' about", 0, "", "A plug-in image format module that reads and writes"},
    };
    char pattern[] = "/tmp/lumenar-tool-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    for (const Case& c : cases) {
        const ToolOutcome outcome = RunTool(pattern, c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.arguments << "\n" << outcome.err;
        EXPECT_TRUE(*c.inOut == '\0' || outcome.out.find(c.inOut) != std::string::npos)
            << c.arguments << ": " << outcome.out;
        EXPECT_TRUE(*c.inErr == '\0' || outcome.err.find(c.inErr) != std::string::npos)
            << c.arguments << ": " << outcome.err;
        EXPECT_TRUE(c.exitCode == 0 || outcome.out.empty()) << c.arguments << ": errors stay off standard output";
    }
    // Every command's help starts with examples of that command.
    for (const char* command : {"flatten", "info", "layers", "compose", "roundtrip", "about"}) {
        const ToolOutcome help = RunTool(pattern, std::string(command) + " --help");
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("examples:\n  lumenar ") + command, 0), 0u) << help.out;
        EXPECT_NE(help.out.find(std::string("usage: lumenar [--module PATH] [--verbose] ") + command), std::string::npos);
    }
    std::system(("rm -rf '" + std::string(pattern) + "'").c_str());
}

}  // namespace
