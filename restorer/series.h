#ifndef KV_RESTORER_SERIES_H
#define KV_RESTORER_SERIES_H
/* Reading a Type3 series: a buffered piece reader, the CRC-16, the flagged
 * integers, the bounded marker scan and the two header layouts. */

#include "sys.h"

enum { NAME_MAX_BYTES = 259, SCAN_BLOCK = 1024, SCAN_BLOCKS = 100 };
/* The longest recorded name read as UTF-8: each byte may become three. */
enum { NAME_UTF8_MAX = 3 * NAME_MAX_BYTES };

typedef struct {
  sys_fd fd;
  i64 size;
  i64 pos; /* position of the next byte handed out */
  i64 buf_start;
  int buf_len;
  int failed; /* a read or seek failed: what was read says nothing of the piece */
  unsigned char buf[64 * 1024];
} reader;

int rd_open(reader* r, const char* path);
void rd_close(reader* r);
int rd_seek(reader* r, i64 position);
/* Bytes read (fewer only at the end of the file), -1 on an error. */
int rd_read(reader* r, void* out, int size);
/* The next byte, -1 at the end or on an error. */
int rd_byte(reader* r);

unsigned short crc16_update(unsigned short crc, const void* data, int length);

/* A FlaggedInt64 / FlaggedInt16; -1 when the file ends inside it. */
i64 rd_flagged64(reader* r);
int rd_flagged16(reader* r);
/* Skips information records up to the end tag; 0 when they run past the end. */
int rd_skip_records(reader* r);

/* The first-piece pattern (0x03 "-QX3-"), made at run time so the program's
 * own bytes never hold it; returns its length. */
int first_pattern(char out[6]);
/* Scans from `start` in blocks of 1024 bytes, at most 100, the next block
 * starting `overlap` bytes before the end of one without the pattern; block k
 * (k >= 2) is read only while k * 1024 < read_limit. The pattern's position,
 * or -1. */
i64 find_marker(reader* r, const char* pattern, int length, int overlap, i64 start, i64 read_limit);

typedef struct {
  i64 source_size;
  i64 piece_length;
  unsigned series_id;
  int has_name;
  char name[NAME_UTF8_MAX + 1]; /* the safe name (names.h), in UTF-8 */
  int year;
  unsigned long packed_time;
  i64 header_length;
} first_header;

enum header_status {
  HEADER_OK,
  HEADER_BROKEN,
  HEADER_COMPRESSED,
  HEADER_ENCRYPTED,
  HEADER_NEWER_VERSION
};

/* Reads a first header from just behind the pattern found at `marker`,
 * records in order: the first that is broken or asks for a newer version
 * decides (`version` then holds its major and minor). A header without a
 * usable source name is broken. */
enum header_status read_first_header(reader* r, i64 marker, first_header* h, int version[2]);

typedef struct {
  i64 piece_length;
  unsigned series_id;
  int piece_number;
} next_header;

/* Reads a following piece's fields from just behind its marker; 0 when the
 * file ends inside them. */
int read_next_fields(reader* r, next_header* h);

#endif
