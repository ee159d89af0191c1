// The lumenar program as a user runs it: options, commands, exit codes and messages.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& inPath) {
    std::ifstream file(inPath);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

Outcome RunTool(const std::string& inArguments) {
    const std::string base = "/tmp/lumenar-tool-" + std::to_string(::getpid());
    const std::string command = std::string("'") + LUMENAR_TEST_TOOL + "' " + inArguments + " >" + base +
                                ".out 2>" + base + ".err";
    const int status = std::system(command.c_str());
    Outcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = Slurp(base + ".out");
    outcome.err = Slurp(base + ".err");
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return outcome;
}

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
        {"--module /nonexistent/x.so about", 1, "", "lumenar: cannot load module /nonexistent/x.so"},
        {"about", 0, "", "Lumenar 5 File Format"},
        {"about extra", 2, "", "lumenar: about takes no arguments"},
        {"about --help", 0, "usage: lumenar [--module PATH] about", ""},
        {"--module='" + module + "' about", 0, "", "A plug-in image format module that reads and writes"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunTool(c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.arguments << "\n" << outcome.err;
        EXPECT_TRUE(*c.inOut == '\0' || outcome.out.find(c.inOut) != std::string::npos)
            << c.arguments << ": " << outcome.out;
        EXPECT_TRUE(*c.inErr == '\0' || outcome.err.find(c.inErr) != std::string::npos)
            << c.arguments << ": " << outcome.err;
        EXPECT_TRUE(c.exitCode == 0 || outcome.out.empty()) << c.arguments << ": errors stay off standard output";
    }
}

}  // namespace
