/*
 * libjpz: converts a JPEG file into a password-encrypted ".jpz" file and back.
 *
 * A ".jpz" file is a 64-byte header, the whole JPEG encrypted with an AEAD
 * cipher (the header is the associated data) and the 16-byte tag:
 *
 *   offset  size  content
 *        0     4  magic "JPZ" 1A
 *        4     1  version: 2 AES-256-GCM, 1 ChaCha20-Poly1305
 *        5     3  zero
 *        8     4  Argon2id memory cost in KiB, little-endian
 *       12     4  Argon2id passes, little-endian
 *       16     4  Argon2id lanes, little-endian
 *       20    16  salt of the password's master key
 *       36    16  per-file value: HKDF-SHA256 of the master key with it
 *                 gives this file's key
 *       52    12  nonce
 *       64     n  the encrypted JPEG
 *     64+n    16  tag
 *
 * New files are version 2, since AES-GCM runs at several times the speed of
 * ChaCha20-Poly1305 on processors with AES instructions; version 1 files are
 * still opened. New files use 19 MiB, 2 passes, 1 lane. A file that asks for
 * more than four times that (76 MiB, 8 passes, 4 lanes, or memory times
 * passes above 4 x 38 MiB) is refused before any key is derived.
 *
 * Within one process the master keys derived from passwords are kept (a few,
 * in memory only, wiped when the library is unloaded), so a batch of files
 * with one password pays for one Argon2id derivation.
 *
 * Both functions may be called from any thread. They never change their
 * input, and write their output by an atomic replace: on any failure the
 * output path is left as it was. Where the file system keeps no unnamed
 * files, the temporary is named ".murkwell-<pid>-<8 letters>.tmp", which the
 * Murkwell programs remove once that process is gone. JPZtoJPG forces the JPEG to disk before it
 * takes its name, since it usually replaces the protected picture. JPGtoJPZ
 * does not: its input is still there, and a caller that keeps the ".jpz"
 * file (rather than reading it back at once) calls fsync on it.
 */
#ifndef MURKWELL_JPZ_H
#define MURKWELL_JPZ_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define JPZ_API __attribute__((visibility("default")))

/* Results. Every value but JPZ_OK means that nothing was written. */
#define JPZ_OK 0
/* A path or the password is missing or empty, or both paths name one file. */
#define JPZ_ERR_ARGUMENT 1
/* The input cannot be opened or read, or is not a regular file. */
#define JPZ_ERR_READ 2
/* The input is not a JPEG (JPGtoJPZ), or not a ".jpz" file this library
   opens: wrong magic or version, too short, or a cost beyond the limits
   (JPZtoJPG). */
#define JPZ_ERR_FORMAT 3
/* Wrong password, or the ".jpz" file is damaged. */
#define JPZ_ERR_AUTH 4
/* The output cannot be written. */
#define JPZ_ERR_WRITE 5
/* Not enough memory for the picture or for the key derivation. */
#define JPZ_ERR_NO_MEMORY 6
/* The system's random source failed. */
#define JPZ_ERR_RANDOM 7

/* Encrypts the JPEG at jpg into the ".jpz" file at jpz. */
JPZ_API int32_t JPGtoJPZ(const char* jpz, const char* jpg, const char* password);

/* Decrypts the ".jpz" file at jpz into the JPEG at jpg. */
JPZ_API int32_t JPZtoJPG(const char* jpz, const char* jpg, const char* password);

typedef int32_t (*TJpzConvert)(const char* jpz, const char* jpg, const char* password);

#ifdef __cplusplus
}
#endif

#endif
