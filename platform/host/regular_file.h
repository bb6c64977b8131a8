/* Opens a data file for reading the way every loader must: without waiting
   for a writer (a named pipe in its place is refused at once, not waited on)
   and only when it is a regular file. */
#ifndef VELMORA_PLATFORM_HOST_REGULAR_FILE_H
#define VELMORA_PLATFORM_HOST_REGULAR_FILE_H

#include <stdio.h>

/* The file open for binary reading, or 0 when it cannot be opened or is not
   a regular file (a folder, a pipe, a device). */
FILE* openRegularFile(const char* path);

#endif
