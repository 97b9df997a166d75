#include "spawn_child.h"

#include <fcntl.h>
#include <spawn.h>

extern char **environ;

pid_t SpawnChild(char *const argv[], int input, int errors)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errors, 2);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, NULL, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : 0;
}
