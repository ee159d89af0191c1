// lumenar: a command-line host for the Lumenar 5 module.
//
//   lumenar [--module PATH] [--verbose] <command> [arguments]
//   lumenar --help | --version | <command> --help
//
// Exit 0 on success, 1 when an input is refused or fails, 2 on a usage error. Messages go to standard
// error as "lumenar: ...".
#include <unistd.h>

#include <sys/stat.h>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/commands/Command.h"

#ifndef LUMENAR_MODULE_BUILD_PATH
#define LUMENAR_MODULE_BUILD_PATH "Lumenar5.so"
#endif
#ifndef LUMENAR_INSTALLED_MODULE_FOLDER
#define LUMENAR_INSTALLED_MODULE_FOLDER "../lib/lumenar5"
#endif
#ifndef LUMENAR_VERSION
#define LUMENAR_VERSION "unknown"
#endif

namespace {

constexpr const char* kModuleFileName = "Lumenar5.so";

void PrintUsage(std::FILE* inStream) {
    std::fprintf(inStream,
                 "usage: lumenar [--module PATH] [--verbose] <command> [arguments]\n"
                 "       lumenar --help | --version | <command> --help\n\n"
                 "examples:\n"
                 "  lumenar flatten photo.lmn                  photo.png beside it\n"
                 "  lumenar info *.lmn                         one line per document\n"
                 "  lumenar layers --masks photo.lmn parts/    a PNG per layer, and parts/layers.json\n\n"
                 "options:\n"
                 "  --module PATH  the module to load (default: %s next to this program, else in\n"
                 "                 " LUMENAR_INSTALLED_MODULE_FOLDER
                 " from it, else the one it was built with)\n"
                 "  --verbose, -v  pass on the module's own reports (also accepted after the command)\n"
                 "  --help         show this help\n"
                 "  --version      show the version\n\n"
                 "commands:\n",
                 kModuleFileName);
    for (const Command* command : AllCommands())
        std::fprintf(inStream, "  %s %s\n      %s\n", command->name, command->arguments, command->summary);
}

bool FileExists(const std::string& inPath) {
    struct stat info {};
    return ::stat(inPath.c_str(), &info) == 0;
}

// The module next to this program when there is one, else where an installation puts it, else the
// module of the build.
std::string DefaultModulePath() {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        std::string path(self, size_t(length));
        const size_t slash = path.rfind('/');
        if (slash != std::string::npos) {
            const std::string folder = path.substr(0, slash + 1);
            for (const std::string& candidate :
                 {folder + kModuleFileName, folder + LUMENAR_INSTALLED_MODULE_FOLDER + "/" + kModuleFileName})
                if (FileExists(candidate)) return candidate;
        }
    }
    return LUMENAR_MODULE_BUILD_PATH;
}

const Command* FindCommand(const std::string& inName) {
    for (const Command* command : AllCommands())
        if (inName == command->name) return command;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that goes away (`lumenar flatten - | head`) makes writes fail with EPIPE instead of ending
    // the process, so the command still removes its working folder.
    std::signal(SIGPIPE, SIG_IGN);
    CommandContext context;
    const Command* command = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (command != nullptr) {
            context.args.push_back(arg);
        } else if (arg == "--verbose" || arg == "-v") {
            context.verbose = true;
        } else if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return kExitOk;
        } else if (arg == "--version") {
            std::printf("lumenar %s\n", LUMENAR_VERSION);
            return kExitOk;
        } else if (arg == "--module") {
            if (i + 1 >= argc) return ReportError(kExitUsage, "--module needs a path");
            context.modulePath = argv[++i];
        } else if (arg.rfind("--module=", 0) == 0) {
            context.modulePath = arg.substr(std::strlen("--module="));
        } else if (arg.size() > 1 && arg[0] == '-') {
            return ReportError(kExitUsage, "unknown option '" + arg + "' (see lumenar --help)");
        } else {
            command = FindCommand(arg);
            if (command == nullptr)
                return ReportError(kExitUsage, "unknown command '" + arg + "' (see lumenar --help)");
        }
    }
    if (command == nullptr) {
        ReportError(kExitUsage, "no command given");
        PrintUsage(stderr);
        return kExitUsage;
    }
    std::vector<std::string> commandArgs;
    for (const std::string& arg : context.args) {
        if (arg == "--help" || arg == "-h") {
            std::printf("examples:\n%s\nusage: lumenar [--module PATH] [--verbose] %s %s\n  %s\n",
                        command->examples, command->name, command->arguments, command->summary);
            if (*command->options != '\0') std::printf("\noptions:\n%s", command->options);
            return kExitOk;
        }
        if (arg == "--verbose" || arg == "-v")
            context.verbose = true;
        else
            commandArgs.push_back(arg);
    }
    context.args = commandArgs;
    if (context.modulePath.empty()) context.modulePath = DefaultModulePath();
    return command->run(context);
}
