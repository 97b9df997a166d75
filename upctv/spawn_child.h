/* Starting the synthesizer programs the library speaks through. */
#pragma once

#include <sys/types.h>

/* Starts argv[0], found on the PATH, reading `input` and writing its messages to `errors`,
   its output discarded. Gives the child's process id, or 0 when it could not be started. */
pid_t SpawnChild(char *const argv[], int input, int errors);
