/* Writes a small H.264-style Annex B recording for the example host: one
 * SPS, one PPS, then groups of an IDR slice followed by P slices. The slice
 * payloads are filler bytes, not decodable video; the replay driver only cuts
 * the stream at its start codes.
 *   nerevnet_make_recording OUTPUT [GROUPS]
 */
#include <stdio.h>
#include <stdlib.h>

static void startCode(FILE* f, int longCode)
{
    static const unsigned char code[] = {0, 0, 0, 1};
    fwrite(longCode ? code : code + 1, 1, longCode ? 4 : 3, f);
}

static void unit(FILE* f, int longCode, unsigned char header, size_t size, unsigned seed)
{
    startCode(f, longCode);
    fputc(header, f);
    for (size_t i = 1; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        unsigned char b = (unsigned char)(seed >> 16);
        /* Keep the payload free of start codes, as emulation prevention would. */
        fputc(b < 4 ? b + 4 : b, f);
    }
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s OUTPUT [GROUPS]\n", argv[0]);
        return 2;
    }
    const int groups = argc > 2 ? atoi(argv[2]) : 4;
    FILE* f = fopen(argv[1], "wb");
    if (!f) {
        perror(argv[1]);
        return 1;
    }
    static const unsigned char sps[] = {0x67, 0x42, 0xc0, 0x1f, 0xda, 0x01, 0x40, 0x16, 0xe8, 0x40};
    static const unsigned char pps[] = {0x68, 0xce, 0x3c, 0x80};
    startCode(f, 1);
    fwrite(sps, 1, sizeof sps, f);
    startCode(f, 1);
    fwrite(pps, 1, sizeof pps, f);
    for (int g = 0; g < groups; ++g) {
        unit(f, 1, 0x65, 1800, 7u * (unsigned)g + 1u); /* IDR slice */
        for (int p = 0; p < 9; ++p)
            unit(f, 0, 0x41, 300 + 20 * (size_t)p, 31u * (unsigned)(g * 9 + p) + 3u); /* P slices */
    }
    return fclose(f) == 0 ? 0 : 1;
}
