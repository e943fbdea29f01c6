/* Reading the paper forms and the resolution out of a plotter GPC data file. */
#include "gpc_forms.h"

#include <string.h>

enum {
    OFF_IDENTIFIER = 0,
    OFF_VERSION = 4,
    OFF_HEADER_SIZE = 8,
    OFF_PEN_DPI_X = 72,
    OFF_MAX_COPIES = 90,
    OFF_FORM_COUNT = 240,
    OFF_FORM_RECORD_SIZE = 242,
    OFF_FORM_OFFSET = 244,
    GPC_VERSION = 0x010A,
    MAX_COPIES_LIMIT = 9999
};

static uint16_t U16(const unsigned char* p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}

static uint32_t U32(const unsigned char* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static void Reset(GpcDevice* out)
{
    out->dpi = 0;
    out->max_copies = 1;
    out->form_count = 0;
}

GpcStatus GpcReadDevice(const unsigned char* data, size_t size, GpcDevice* out)
{
    Reset(out);
    if (!data || size < GPC_HEADER_BYTES)
        return GPC_TOO_SHORT;
    if (memcmp(data + OFF_IDENTIFIER, "Plot", 4) != 0)
        return GPC_BAD_IDENTIFIER;
    if (U32(data + OFF_VERSION) != GPC_VERSION)
        return GPC_BAD_VERSION;
    const size_t header_size = U16(data + OFF_HEADER_SIZE);
    if (header_size < GPC_HEADER_BYTES || header_size > size)
        return GPC_BAD_HEADER_SIZE;

    const size_t count = U16(data + OFF_FORM_COUNT);
    const size_t record_size = U16(data + OFF_FORM_RECORD_SIZE);
    const size_t first = U32(data + OFF_FORM_OFFSET);
    if (count > 0) {
        if (record_size < GPC_MIN_FORM_RECORD_BYTES)
            return GPC_BAD_FORM_RECORD;
        /* Every declared record must lie behind the header and inside the
         * file; the division keeps the check free of overflow. */
        if (first < header_size || first > size || (size - first) / record_size < count)
            return GPC_FORMS_OUTSIDE_FILE;
    }

    const uint32_t dpi = U32(data + OFF_PEN_DPI_X);
    out->dpi = (dpi >= 1 && dpi <= GPC_MAX_DPI) ? dpi : 0;
    const unsigned copies = U16(data + OFF_MAX_COPIES);
    out->max_copies = (copies >= 1 && copies <= MAX_COPIES_LIMIT) ? copies : 1;

    for (size_t i = 0; i < count && out->form_count < GPC_MAX_FORMS; ++i) {
        const unsigned char* record = data + first + i * record_size;
        const uint32_t width = U32(record + GPC_FORM_NAME_BYTES);
        const uint32_t height = U32(record + GPC_FORM_NAME_BYTES + 4);
        if (record[0] == 0 || width == 0 || height == 0 || width > GPC_MAX_FORM_EDGE ||
            height > GPC_MAX_FORM_EDGE)
            continue;
        GpcForm* form = &out->forms[out->form_count++];
        /* The name field need not be terminated: at most all 32 bytes. */
        const unsigned char* end = memchr(record, 0, GPC_FORM_NAME_BYTES);
        const size_t length = end ? (size_t)(end - record) : GPC_FORM_NAME_BYTES;
        memcpy(form->name, record, length);
        form->name[length] = '\0';
        form->width = width;
        form->height = height;
        form->record = (unsigned)i;
    }
    return GPC_OK;
}
