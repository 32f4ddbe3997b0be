/* The marker scan and the Type3 headers, read as the main program reads them. */
#include <string.h>

#include "core/program_version.h"
#include "names.h"
#include "series.h"

int first_pattern(char out[6]) {
  /* Kept scrambled: a plain copy of the pattern in this program would be
   * found in front of the real header of every first piece. */
  static const unsigned char scrambled[6] = {0x03 ^ 0x5A, '-' ^ 0x5A, 'Q' ^ 0x5A,
                                             'X' ^ 0x5A,  '3' ^ 0x5A, '-' ^ 0x5A};
  static volatile unsigned char key = 0x5A;
  for (int i = 0; i < 6; ++i) {
    out[i] = (char)(scrambled[i] ^ key);
  }
  return 6;
}

static int search(const unsigned char* block, int got, const char* pattern, int length) {
  for (int i = 0; i + length <= got; ++i) {
    if (memcmp(block + i, pattern, (size_t)length) == 0) {
      return i;
    }
  }
  return -1;
}

i64 find_marker(reader* r, const char* pattern, int length, int overlap, i64 start,
                i64 read_limit) {
  unsigned char block[SCAN_BLOCK];
  for (int k = 1; k <= SCAN_BLOCKS; ++k) {
    int got;
    int hit;
    if (k > 1 && (i64)k * SCAN_BLOCK >= read_limit) {
      break;
    }
    rd_seek(r, start);
    got = rd_read(r, block, SCAN_BLOCK);
    if (got <= 0) {
      break;
    }
    hit = search(block, got, pattern, length);
    if (hit >= 0) {
      rd_seek(r, start + hit);
      return start + hit;
    }
    if (got < SCAN_BLOCK) {
      break;
    }
    start += got - overlap;
  }
  return -1;
}

/* The source name record: its safe name in `h`, or 0 when it is broken. */
static int read_name_record(reader* r, int length, first_header* h) {
  char recorded[NAME_MAX_BYTES + 1];
  if (length > NAME_MAX_BYTES || rd_read(r, recorded, length) != length) {
    return 0;
  }
  recorded[length] = 0;
  /* A zero byte inside the name must not shorten it silently: as a control
   * byte it becomes a "_" like the others. */
  for (int i = 0; i < length; ++i) {
    if (recorded[i] == 0) {
      recorded[i] = 1;
    }
  }
  h->has_name = safe_name(recorded, h->name, sizeof h->name);
  return h->has_name;
}

/* One information record of a first header, its tag read. HEADER_BROKEN when
 * it runs past the end or is shorter than its data; a required version newer
 * than this program's is refused at its record. */
static enum header_status read_first_record(reader* r, int tag, first_header* h, int version[2]) {
  const int length = rd_flagged16(r);
  unsigned char data[6];
  if (length < 0 || r->pos + length > r->size) {
    return HEADER_BROKEN;
  }
  if (tag == 1) {
    return read_name_record(r, length, h) ? HEADER_OK : HEADER_BROKEN;
  }
  if (tag != 2 && tag != 3) {
    r->pos += length;
    return HEADER_OK;
  }
  if (length < (tag == 2 ? 2 : 6) || rd_read(r, data, tag == 2 ? 2 : 6) < 0) {
    return HEADER_BROKEN;
  }
  r->pos += length - (tag == 2 ? 2 : 6);
  if (tag == 3) {
    h->year = data[0] | (data[1] << 8);
    h->packed_time = data[2] | ((unsigned long)data[3] << 8) | ((unsigned long)data[4] << 16) |
                     ((unsigned long)data[5] << 24);
    return HEADER_OK;
  }
  version[0] = (signed char)data[0];
  version[1] = (signed char)data[1];
  return version[0] > KV_PROGRAM_VERSION_MAJOR ||
                 (version[0] == KV_PROGRAM_VERSION_MAJOR && version[1] > KV_PROGRAM_VERSION_MINOR)
             ? HEADER_NEWER_VERSION
             : HEADER_OK;
}

enum header_status read_first_header(reader* r, i64 marker, first_header* h, int version[2]) {
  int flags;
  unsigned char id[2];
  memset(h, 0, sizeof *h);
  version[0] = 0;
  version[1] = 0;
  rd_seek(r, marker + 6);
  h->source_size = rd_flagged64(r);
  flags = rd_byte(r);
  if (h->source_size < 0 || flags < 0) {
    return HEADER_BROKEN;
  }
  if (flags & 1) {
    return HEADER_COMPRESSED;
  }
  if (flags & 2) {
    return HEADER_ENCRYPTED;
  }
  h->piece_length = rd_flagged64(r);
  if (h->piece_length < 0 || rd_read(r, id, 2) != 2) {
    return HEADER_BROKEN;
  }
  h->series_id = id[0] | (unsigned)(id[1] << 8);
  for (;;) {
    const int tag = rd_byte(r);
    enum header_status status;
    if (tag <= 0) {
      if (tag < 0 || !h->has_name) {
        return HEADER_BROKEN;
      }
      break;
    }
    status = read_first_record(r, tag, h, version);
    if (status != HEADER_OK) {
      return status;
    }
  }
  h->header_length = r->pos - marker;
  return h->piece_length >= h->header_length ? HEADER_OK : HEADER_BROKEN;
}

int read_next_fields(reader* r, next_header* h) {
  unsigned char id[2];
  h->piece_length = rd_flagged64(r);
  if (h->piece_length < 0 || rd_read(r, id, 2) != 2) {
    return 0;
  }
  h->series_id = id[0] | (unsigned)(id[1] << 8);
  h->piece_number = rd_flagged16(r);
  return h->piece_number >= 0;
}
