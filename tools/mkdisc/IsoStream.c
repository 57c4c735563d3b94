#define _FILE_OFFSET_BITS 64
#include "IsoStream.h"

#include <libisofs/libisofs.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
    char* path;
    uint64_t size;
    uint64_t done;
    FILE* file;
    ino_t id;
} StreamData;

static int Open(IsoStream* s) {
    StreamData* d = s->data;
    d->done = 0;
    if (!d->path) return 1;
    d->file = fopen(d->path, "rb");
    return d->file ? 1 : ISO_FILE_ERROR;
}

static int Close(IsoStream* s) {
    StreamData* d = s->data;
    if (d->file) fclose(d->file);
    d->file = NULL;
    return 1;
}

static off_t GetSize(IsoStream* s) {
    return (off_t)((StreamData*)s->data)->size;
}

static int Read(IsoStream* s, void* buf, size_t count) {
    StreamData* d = s->data;
    uint64_t left = d->size - d->done;
    if (count > left) count = (size_t)left;
    if (count == 0) return 0;
    if (!d->file) {
        memset(buf, 0, count);
    } else if (fread(buf, 1, count, d->file) != count) {
        return ISO_FILE_READ_ERROR; // the file shrank since it was measured
    }
    d->done += count;
    return (int)count;
}

static int IsRepeatable(IsoStream* s) {
    (void)s;
    return 1;
}

static void GetId(IsoStream* s, unsigned int* fs_id, dev_t* dev_id, ino_t* ino_id) {
    // Every file its own identity: libisofs would share the blocks of streams that claim to be one.
    *fs_id = 0;
    *dev_id = 0;
    *ino_id = ((StreamData*)s->data)->id;
}

static void Free(IsoStream* s) {
    StreamData* d = s->data;
    if (d->file) fclose(d->file);
    free(d->path);
    free(d);
}

static IsoStreamIface kInterface = {0,     "user", Open, Close, GetSize, Read, IsRepeatable,
                                    GetId, Free,   NULL, NULL,  NULL,    NULL};

int MkdiscStreamNew(const char* hostPath, uint64_t size, IsoStream** stream) {
    IsoStream* s = calloc(1, sizeof(IsoStream));
    StreamData* d = calloc(1, sizeof(StreamData));
    if (!s || !d || (hostPath && !(d->path = strdup(hostPath)))) {
        free(s);
        if (d) free(d->path);
        free(d);
        return ISO_OUT_OF_MEM;
    }
    d->size = size;
    d->id = serial_id++;
    s->class = &kInterface;
    s->refcount = 1;
    s->data = d;
    *stream = s;
    return 1;
}
