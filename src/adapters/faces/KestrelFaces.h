/* The face finder module's interface: plain C, so that the module and the
 * program that opens it share no C++ library types. The module
 * (kestrel-faces.so) exports these four functions; Kestrel opens it with
 * dlopen at start-up, and reads the model (kestrel_faces_open) when the
 * Faces mode first looks. */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Bumped whenever the interface changes: a module of another version is refused. */
#define KESTREL_FACES_VERSION 1

typedef struct KestrelFaceBox {
    int x, y, width, height;
    int smiling;          /* 1 or 0 */
    int lookingAtCamera;  /* 1 or 0 */
} KestrelFaceBox;

typedef struct KestrelFaces KestrelFaces;

/* The interface version the module was built with. */
int kestrel_faces_version(void);
/* A finder using the landmark model at `modelPath`; none when it cannot be
 * read, with the reason in `error` (at most errorSize bytes, ended by 0). */
KestrelFaces* kestrel_faces_open(const char* modelPath, char* error, size_t errorSize);
/* The faces in a picture of 32-bit pixels (blue, green, red, unused), rows
 * bytesPerRow apart: up to `capacity` boxes written to `faces`; answers how
 * many faces were found (it may be more than capacity), or -1 on failure.
 * One call at a time per finder, on any thread. */
int kestrel_faces_find(KestrelFaces* finder, const unsigned char* pixels, int width, int height,
                       size_t bytesPerRow, KestrelFaceBox* faces, int capacity);
void kestrel_faces_close(KestrelFaces* finder);

#ifdef __cplusplus
}
#endif
