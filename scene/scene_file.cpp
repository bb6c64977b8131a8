#include "scene/scene_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <lib3ds/io.h>

#include "platform/host/regular_file.h"
#include "scene/scene_check.h"

namespace {

// The bytes lib3ds reads through its io callbacks.
struct MemoryFile {
    const unsigned char* bytes;
    size_t size;
    size_t at;
};

Lib3dsBool memoryError(void*) { return LIB3DS_FALSE; }

long memorySeek(void* self, long offset, Lib3dsIoSeek origin) {
    MemoryFile* f = (MemoryFile*)self;
    long base = origin == LIB3DS_SEEK_CUR ? (long)f->at : origin == LIB3DS_SEEK_END ? (long)f->size : 0;
    if (offset < -base) return -1;
    f->at = (size_t)(base + offset);
    return 0;
}

long memoryTell(void* self) { return (long)((MemoryFile*)self)->at; }

// Past the end a read comes back short with the rest of the buffer zeroed,
// so nothing lib3ds reads there is uninitialised.
size_t memoryRead(void* self, void* buffer, size_t size) {
    MemoryFile* f = (MemoryFile*)self;
    size_t left = f->at < f->size ? f->size - f->at : 0;
    size_t n = size < left ? size : left;
    if (n) memcpy(buffer, f->bytes + f->at, n);
    memset((unsigned char*)buffer + n, 0, size - n);
    f->at += n;
    return n;
}

size_t memoryWrite(void*, const void*, size_t) { return 0; }

// The whole file in a buffer the caller frees; 0 when it cannot be read or
// is too large.
unsigned char* readWhole(const char* path, size_t* size) {
    FILE* file = openRegularFile(path);
    if (!file) return 0;
    size_t capacity = 1 << 16;
    size_t used = 0;
    unsigned char* bytes = (unsigned char*)malloc(capacity);
    while (bytes) {
        if (used == capacity) {
            if (capacity >= SCENE_FILE_MAX_BYTES) {
                // Full at the limit: one byte more means too large.
                unsigned char extra;
                if (fread(&extra, 1, 1, file) == 1) {
                    free(bytes);
                    bytes = 0;
                }
                break;
            }
            capacity *= 2;
            unsigned char* grown = (unsigned char*)realloc(bytes, capacity);
            if (!grown) {
                free(bytes);
                bytes = 0;
                break;
            }
            bytes = grown;
        }
        size_t n = fread(bytes + used, 1, capacity - used, file);
        used += n;
        if (n == 0) break;
    }
    if (bytes && ferror(file)) {
        free(bytes);
        bytes = 0;
    }
    fclose(file);
    *size = used;
    return bytes;
}

}  // namespace

Lib3dsFile* parseSceneBytes(const unsigned char* bytes, size_t size) {
    if (!sceneBytesReadable(bytes, size)) return 0;
    MemoryFile memory = {bytes, size, 0};
    Lib3dsIo* io = lib3ds_io_new(&memory, memoryError, memorySeek, memoryTell, memoryRead, memoryWrite);
    if (!io) return 0;
    Lib3dsFile* file = lib3ds_file_new();
    if (file && !lib3ds_file_read(file, io)) {
        lib3ds_file_free(file);
        file = 0;
    }
    lib3ds_io_free(io);
    return file;
}

Lib3dsFile* loadSceneFile(const char* path) {
    size_t size = 0;
    unsigned char* bytes = readWhole(path, &size);
    if (!bytes) return 0;
    Lib3dsFile* file = parseSceneBytes(bytes, size);
    free(bytes);
    return file;
}
