/* The C interface between the program and an image plug-in (a shared library named *.spi).
 * Plain C so plug-ins written in C can include it; docs/plugins.md explains every call, the memory
 * ownership and the return codes. */
#ifndef QV_CORE_CONTENT_SPI_ABI_H
#define QV_CORE_CONTENT_SPI_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Return codes of GetPictureInfo and GetPicture. */
enum {
    SPI_NO_FUNCTION = -1,    /* the call is not implemented */
    SPI_ALL_RIGHT = 0,       /* success */
    SPI_ABORT = 1,           /* the progress callback asked to stop */
    SPI_NOT_SUPPORT = 2,     /* unknown format */
    SPI_OUT_OF_ORDER = 3,    /* the data is broken */
    SPI_NO_MEMORY = 4,       /* memory could not be allocated */
    SPI_MEMORY_ERROR = 5,    /* memory error */
    SPI_FILE_READ_ERROR = 6, /* the file could not be read */
    SPI_WINDOW_ERROR = 7,    /* reserved */
    SPI_OTHER_ERROR = 8      /* internal error */
};

/* Flag values: the low three bits of `flag` tell what `buf` is. The program always passes a file.
 */
enum { SPI_INPUT_FILE = 0, SPI_INPUT_MEMORY = 1 };

/* BITMAPINFOHEADER: the first bytes of the info block GetPicture returns. Little-endian, packed. */
#pragma pack(push, 1)
typedef struct SpiBitmapInfoHeader {
    uint32_t biSize; /* 40, or 108 / 124 for the later header versions */
    int32_t biWidth;
    int32_t biHeight; /* > 0: rows stored bottom-up; < 0: top-down */
    uint16_t biPlanes;
    uint16_t biBitCount;    /* 1, 4, 8, 16, 24 or 32 */
    uint32_t biCompression; /* 0 (BI_RGB) or 3 (BI_BITFIELDS, 16 and 32 bits) */
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
} SpiBitmapInfoHeader;

typedef struct SpiPictureInfo {
    long left, top;
    long width, height;
    uint16_t x_density, y_density;
    int16_t colorDepth;
    void* hInfo; /* text information, a malloc block owned by the caller, or NULL */
} SpiPictureInfo;
#pragma pack(pop)

typedef int (*SpiProgressCallback)(int nNum, int nDenom, long lData);

/* The four entry points every plug-in exports under exactly these names. */
typedef int (*SpiGetPluginInfoFn)(int infono, char* buf, int buflen);
typedef int (*SpiIsSupportedFn)(const char* filename, uintptr_t dw);
typedef int (*SpiGetPictureInfoFn)(const char* buf, long len, unsigned int flag,
                                   SpiPictureInfo* lpInfo);
typedef int (*SpiGetPictureFn)(const char* buf, long len, unsigned int flag, void** pHBInfo,
                               void** pHBm, SpiProgressCallback lpPrgressCallback, long lData);

#ifdef __cplusplus
}
#endif

#endif
