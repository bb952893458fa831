/* A small image plug-in for the tests: reads binary PPM ("P6", maxval up to 255).
 *
 * Variants, chosen at compile time:
 *   PPM_ALT             inverts every colour, returns a top-down 32-bit bitmap, gives no file
 *                       pattern and accepts only even widths, so tests can tell which plug-in
 *                       decoded a file
 *   PPM_EXPORT          calls itself an export filter ("00XN"), which the program must refuse
 *   PPM_NO_GET_PICTURE  lacks the GetPicture entry point, which the program must refuse
 *   PPM_HUGE_INFO       reports every picture as 100000 times its size, too large to decode */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "core/content/spi_abi.h"

#define EXPORT __attribute__((visibility("default")))

static int CopyInfo(const char* text, char* buf, int buflen) {
    int n = (int)strlen(text);
    if (buflen <= 0) return 0;
    if (n > buflen - 1) n = buflen - 1;
    memcpy(buf, text, (size_t)n);
    buf[n] = '\0';
    return n;
}

EXPORT int GetPluginInfo(int infono, char* buf, int buflen) {
    switch (infono) {
#ifdef PPM_EXPORT
        case 0:
            return CopyInfo("00XN", buf, buflen);
#else
        case 0:
            return CopyInfo("00IN", buf, buflen);
#endif
        case 1:
            return CopyInfo("PPM test plug-in", buf, buflen);
#ifdef PPM_ALT
        case 2:
            return 0;
        case 3:
            return CopyInfo("Inverted PPM", buf, buflen);
#else
        case 2:
            return CopyInfo("*.ppm", buf, buflen);
        case 3:
            return CopyInfo("Portable pixmap", buf, buflen);
#endif
        default:
            return 0;
    }
}

/* Parses "P6 <w> <h> <maxval>" followed by one whitespace byte; returns the data offset or -1. */
static long ParseHeader(const unsigned char* p, long len, long* w, long* h, long* maxval) {
    long values[3];
    long pos = 2;
    int i;
    if (len < 2 || p[0] != 'P' || p[1] != '6') return -1;
    for (i = 0; i < 3; ++i) {
        long v = 0;
        int digits = 0;
        while (pos < len && (p[pos] == ' ' || p[pos] == '\t' || p[pos] == '\n' || p[pos] == '\r'))
            ++pos;
        while (pos < len && p[pos] >= '0' && p[pos] <= '9' && digits < 7) {
            v = v * 10 + (p[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0) return -1;
        values[i] = v;
    }
    if (pos >= len) return -1;
    ++pos; /* the single whitespace byte before the samples */
    *w = values[0];
    *h = values[1];
    *maxval = values[2];
    if (*w <= 0 || *h <= 0 || *maxval <= 0 || *maxval > 255) return -1;
    return pos;
}

EXPORT int IsSupported(const char* filename, uintptr_t dw) {
    unsigned char head[2048];
    ssize_t n;
    long w, h, maxval;
    (void)filename;
    n = read((int)dw, head, sizeof head);
    if (n <= 0 || ParseHeader(head, (long)n, &w, &h, &maxval) < 0) return 0;
#ifdef PPM_ALT
    /* Odd widths are left to the next plug-in, after this one has read from the descriptor. */
    if (w % 2 != 0) return 0;
#endif
    return 1;
}

static unsigned char* ReadWholeFile(const char* path, long* len) {
    FILE* f = fopen(path, "rb");
    unsigned char* data;
    long size;
    if (!f) return NULL;
    if (fseek(f, 0, SEEK_END) != 0 || (size = ftell(f)) <= 0 || fseek(f, 0, SEEK_SET) != 0) {
        fclose(f);
        return NULL;
    }
    data = (unsigned char*)malloc((size_t)size);
    if (data && fread(data, 1, (size_t)size, f) != (size_t)size) {
        free(data);
        data = NULL;
    }
    fclose(f);
    *len = size;
    return data;
}

EXPORT int GetPictureInfo(const char* buf, long len, unsigned int flag, SpiPictureInfo* lpInfo) {
    unsigned char* data;
    long size, w, h, maxval;
    (void)len;
    if ((flag & 7) != SPI_INPUT_FILE) return SPI_NO_FUNCTION;
    data = ReadWholeFile(buf, &size);
    if (!data) return SPI_FILE_READ_ERROR;
    if (ParseHeader(data, size, &w, &h, &maxval) < 0) {
        free(data);
        return SPI_NOT_SUPPORT;
    }
    free(data);
    memset(lpInfo, 0, sizeof *lpInfo);
#ifdef PPM_HUGE_INFO
    w *= 100000;
    h *= 100000;
#endif
    lpInfo->width = w;
    lpInfo->height = h;
    lpInfo->colorDepth = 24;
    return SPI_ALL_RIGHT;
}

#ifndef PPM_NO_GET_PICTURE
EXPORT int GetPicture(const char* buf, long len, unsigned int flag, void** pHBInfo, void** pHBm,
                      SpiProgressCallback lpPrgressCallback, long lData) {
    unsigned char* data;
    unsigned char* bits;
    SpiBitmapInfoHeader* info;
    long size, w, h, maxval, offset, x, y;
#ifdef PPM_ALT
    const long bytesPerPixel = 4;
#else
    const long bytesPerPixel = 3;
#endif
    long stride;
    (void)len;
    (void)lpPrgressCallback;
    (void)lData;
    if ((flag & 7) != SPI_INPUT_FILE) return SPI_NO_FUNCTION;
    data = ReadWholeFile(buf, &size);
    if (!data) return SPI_FILE_READ_ERROR;
    offset = ParseHeader(data, size, &w, &h, &maxval);
    if (offset < 0 || w > 10000 || h > 10000 || size - offset < w * h * 3) {
        free(data);
        return SPI_OUT_OF_ORDER;
    }
    stride = (w * bytesPerPixel + 3) / 4 * 4;
    info = (SpiBitmapInfoHeader*)calloc(1, sizeof *info);
    bits = (unsigned char*)calloc((size_t)(stride * h), 1);
    if (!info || !bits) {
        free(info);
        free(bits);
        free(data);
        return SPI_NO_MEMORY;
    }
    info->biSize = sizeof *info;
    info->biWidth = (int32_t)w;
#ifdef PPM_ALT
    info->biHeight = (int32_t)-h;
#else
    info->biHeight = (int32_t)h;
#endif
    info->biPlanes = 1;
    info->biBitCount = (uint16_t)(bytesPerPixel * 8);
    for (y = 0; y < h; ++y) {
#ifdef PPM_ALT
        unsigned char* row = bits + y * stride;
#else
        unsigned char* row = bits + (h - 1 - y) * stride;
#endif
        for (x = 0; x < w; ++x) {
            const unsigned char* s = data + offset + (y * w + x) * 3;
            unsigned char* d = row + x * bytesPerPixel;
            int c;
            for (c = 0; c < 3; ++c) {
                int v = s[2 - c] * 255 / (int)maxval; /* DIB order is blue, green, red */
#ifdef PPM_ALT
                v = 255 - v;
#endif
                d[c] = (unsigned char)v;
            }
        }
    }
    free(data);
    *pHBInfo = info;
    *pHBm = bits;
    return SPI_ALL_RIGHT;
}
#endif
