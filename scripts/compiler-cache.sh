# Sourced by the build scripts: every build goes through ccache when it is installed.
# Paths are hashed relative to the clone, so that a fresh clone anywhere (CI's) reuses the
# objects of another clone's builds instead of compiling everything again.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
  export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
  # The sanitizer, release, thread and fuzz builds together take a few gigabytes.
  export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-20G}"
fi
