// The POSIX calls and constants the tests use, for their Windows build, on
// the C runtime's own. Forced into every test source there.
#ifndef VELMORA_TESTS_POSIX_ON_WINDOWS_H
#define VELMORA_TESTS_POSIX_ON_WINDOWS_H

// M_PI and its kin, which glibc gives without asking.
#define _USE_MATH_DEFINES

#include <direct.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>

// _putenv_s sets the process's environment too, where SDL reads it.
static inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && getenv(name)) return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

static inline int unsetenv(const char* name) { return _putenv_s(name, "") == 0 ? 0 : -1; }

static inline char* mkdtemp(char* pattern) {
    if (_mktemp_s(pattern, strlen(pattern) + 1) != 0) return nullptr;
    return _mkdir(pattern) == 0 ? pattern : nullptr;
}

#endif
