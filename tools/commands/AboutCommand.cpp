// `lumenar about`: shows the module's About box, as a host's About menu does. The module shows it
// through its platform layer (on this system: its texts on standard error).
#include "tools/commands/Command.h"
#include "tools/host/HostSession.h"
#include "tools/host/PluginModule.h"

namespace {

int RunAbout(const CommandContext& inContext) {
    if (!inContext.args.empty()) return ReportError(kExitUsage, "about takes no arguments");
    std::string error;
    std::unique_ptr<PluginModule> module = PluginModule::Load(inContext.modulePath, error);
    if (module == nullptr)
        return ReportError(kExitFailed, "cannot load module " + inContext.modulePath + ": " + error);
    HostSession session(module->Entry());
    session.About(nullptr);
    return kExitOk;
}

}  // namespace

extern const Command kAboutCommand = {"about",
                                      "",
                                      "show the module's About box",
                                      "  lumenar about\n"
                                      "  lumenar --module build/Lumenar5.so about\n",
                                      "",
                                      &RunAbout};
