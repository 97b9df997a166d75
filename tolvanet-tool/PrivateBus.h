#pragma once

#include <optional>

// Audio export finds its rendering program over the D-Bus session bus. Where none runs
// (ssh, cron, a batch script) the tool runs itself again inside a private bus of its own,
// as dbus-run-session does, which ends with it. Returns only when it did not: nothing
// when no private bus is needed, else the exit status after the message on standard error.
std::optional<int> RerunInPrivateBusIfNeeded(int argc, char *argv[]);
