#include "tolvanet-tool/PrivateBus.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool NeedsBus(const char *verb)
{
    return std::strncmp(verb, "export-", 7) == 0;
}

// libdbus looks at the address first, then at the user's bus in the runtime folder.
bool SessionBusReachable()
{
    const char *address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return true;
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
        return false;
    struct stat status = {};
    return ::stat((std::string(runtime) + "/bus").c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

} // namespace

std::optional<int> RerunInPrivateBusIfNeeded(int argc, char *argv[])
{
    if (argc < 2 || !NeedsBus(argv[1]) || SessionBusReachable())
        return std::nullopt;
    char self[PATH_MAX] = {};
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::vector<char *> arguments = {const_cast<char *>("dbus-run-session"), const_cast<char *>("--"),
                                     length > 0 ? self : argv[0]};
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    ::execvp("dbus-run-session", arguments.data());
    const int error = errno;
    std::fprintf(stderr,
                 "tolvanet-tool %s: no D-Bus session bus is running, and dbus-run-session (Debian package "
                 "\"dbus\") could not start a private one: %s\n",
                 argv[1], std::strerror(error));
    return 1;
}
