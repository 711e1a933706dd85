// The KWin script that reports the pointer, loaded through org.kde.KWin's /Scripting.

#include "kwin_script.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "pointer_reports.h"
#include "session_bus.h"

namespace {

constexpr const char* kwin = "org.kde.KWin";
constexpr const char* scripting = "org.kde.kwin.Scripting";
constexpr const char* scriptName = "lookout-pointer";

// workspace.cursorPosChanged comes at every motion, with no permission asked; the numbers
// reach the bus as doubles.
std::string ScriptText()
{
    return std::string("function report() {\n"
                       "    var size = workspace.virtualScreenSize;\n"
                       "    callDBus(\"") + pointerBusName + "\", \"" + pointerObjectPath + "\", \"" + pointerInterface +
           "\", \"Moved\",\n"
           "             workspace.cursorPos.x, workspace.cursorPos.y, size.width, size.height);\n"
           "}\n"
           "workspace.cursorPosChanged.connect(report);\n"
           "report();\n";
}

std::string scriptFile; // KWin reads it when the script runs, perhaps later: kept until lookout ends

// One call to KWin with the arguments of its signature; the reply's single value read where one is wanted.
template <typename... Arguments>
bool Call(const char* path, const char* interface, const char* method, const char* replyType, void* value,
          const char* signature, Arguments... arguments)
{
    const SdBus& sd = Sd();
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    bool done = sd.sd_bus_call_method(TheSessionBus(), kwin, path, interface, method, &error, &reply, signature,
                                      arguments...) >= 0 &&
                (!replyType || sd.sd_bus_message_read(reply, replyType, value) > 0);
    sd.sd_bus_message_unref(reply);
    sd.sd_bus_error_free(&error);
    return done;
}

// KWin answers false where no script of that name is loaded.
void Unload() { Call("/Scripting", scripting, "unloadScript", nullptr, nullptr, "s", scriptName); }

void UnloadAtExit()
{
    if (TheSessionBus())
        Unload();
    unlink(scriptFile.c_str());
}

// A file of lookout's own with the script, in the user's runtime folder where there is one.
bool WriteScript()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string path = std::string(runtime && *runtime ? runtime : "/tmp") + "/lookout-pointer-XXXXXX.js";
    int fd = mkstemps(path.data(), 3);
    if (fd < 0)
        return false;
    const std::string text = ScriptText();
    bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    if (!written) {
        unlink(path.c_str());
        return false;
    }
    scriptFile = path;
    return true;
}

} // namespace

bool LoadKWinScript()
{
    if (!TheSessionBus() || !WriteScript())
        return false;
    std::at_quick_exit(UnloadAtExit); // End() runs it
    Unload(); // one that a killed lookout left
    int id = -1;
    if (!Call("/Scripting", scripting, "loadScript", "i", &id, "ss", scriptFile.c_str(), scriptName) || id < 0)
        return false;
    // The script's object: /Scripting/Script<id> in Plasma 6, /<id> in Plasma 5.
    const std::string plasma6 = "/Scripting/Script" + std::to_string(id), plasma5 = "/" + std::to_string(id);
    return Call(plasma6.c_str(), "org.kde.kwin.Script", "run", nullptr, nullptr, "") ||
           Call(plasma5.c_str(), "org.kde.kwin.Script", "run", nullptr, nullptr, "");
}
