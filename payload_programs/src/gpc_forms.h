/* Reading the paper forms and the resolution out of a plotter GPC data file.
 *
 * Portable C: no <windows.h>, so that the native unit tests build it too.
 *
 * The file is the plotter driver's binary device description: a 256-byte
 * header starting with the identifier "Plot" and the version 0x010A, whose
 * fields at offsets 240 to 247 describe the form list (number of records,
 * size of one record, offset of the first record in the file). A form record
 * starts with a 32-byte 8-bit name, then the width and the height in
 * thousandths of a millimetre. All integers are little-endian.
 *
 * Nothing in the file is trusted: every offset and length is checked against
 * the bytes actually read before it is used, and a file that fails a check
 * is refused as a whole.
 */
#ifndef PAYLOAD_PROGRAMS_GPC_FORMS_H
#define PAYLOAD_PROGRAMS_GPC_FORMS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    GPC_HEADER_BYTES = 256,
    GPC_FORM_NAME_BYTES = 32,
    /* A record must hold at least the name, the width and the height. */
    GPC_MIN_FORM_RECORD_BYTES = GPC_FORM_NAME_BYTES + 8,
    /* Forms beyond this many are ignored. */
    GPC_MAX_FORMS = 64,
    /* The largest form edge a device mode can carry: 32767 tenths of a
     * millimetre, in thousandths. Larger forms are skipped. */
    GPC_MAX_FORM_EDGE = 3276700,
    /* The largest resolution a device mode can carry (a signed 16-bit dpi). */
    GPC_MAX_DPI = 32767,
    /* A GPC file larger than this is refused without being read further. */
    GPC_MAX_FILE_BYTES = 1 << 20
};

typedef enum GpcStatus {
    GPC_OK = 0,
    GPC_TOO_SHORT,          /* fewer bytes than the header */
    GPC_BAD_IDENTIFIER,     /* not "Plot" */
    GPC_BAD_VERSION,        /* not 0x010A */
    GPC_BAD_HEADER_SIZE,    /* header size field below 256 or beyond the file */
    GPC_BAD_FORM_RECORD,    /* record size too small to hold a form */
    GPC_FORMS_OUTSIDE_FILE  /* form list starts in the header or runs past the end */
} GpcStatus;

typedef struct GpcForm {
    char name[GPC_FORM_NAME_BYTES + 1]; /* 8-bit, always NUL-terminated */
    uint32_t width;                     /* thousandths of a millimetre */
    uint32_t height;
    unsigned record;                    /* index of the record in the file */
} GpcForm;

typedef struct GpcDevice {
    uint32_t dpi;        /* pen resolution; 0 when the file gives none usable */
    unsigned max_copies; /* 1 to 9999 */
    unsigned form_count;
    GpcForm forms[GPC_MAX_FORMS];
} GpcDevice;

/* Reads the file's bytes into *out. On GPC_OK, out holds the usable forms in
 * file order: records with an empty name, a zero edge or an edge above
 * GPC_MAX_FORM_EDGE are skipped (form_count may be 0), and records beyond
 * GPC_MAX_FORMS are ignored. On any other status *out is reset to no forms,
 * no resolution and one copy. */
GpcStatus GpcReadDevice(const unsigned char* data, size_t size, GpcDevice* out);

#ifdef __cplusplus
}
#endif

#endif
