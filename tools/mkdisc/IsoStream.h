// A file of an image whose bytes come from a host file, or only its size (to measure an image
// before anything is written). libisofs declares its stream interface for C only.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct iso_stream;

// hostPath NULL: the stream has `size` bytes of zeros (never read when only measuring). Returns 1 or
// a libisofs error code.
int MkdiscStreamNew(const char* hostPath, uint64_t size, struct iso_stream** stream);

#ifdef __cplusplus
}
#endif
