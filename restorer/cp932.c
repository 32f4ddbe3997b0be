#include "cp932.h"

#include "text.h"

enum { TRAILS = 0xFC - 0x40 + 1, MID = 6144 };

static int is_lead(unsigned b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

/* The character of a double-byte pair, 0 when the pair has none. Walks the
 * packed cells (make_cp932_table.py) up to the pair's. */
static unsigned pair_char(unsigned lead, unsigned trail) {
  const unsigned char* p = cp932_pairs;
  const unsigned char* end = cp932_pairs + cp932_pairs_size;
  int last = 0;
  int at = 0;
  int cell;
  if (trail < 0x40 || trail > 0xFC) {
    return 0;
  }
  cell = (int)(lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 0x1F) * TRAILS + (int)(trail - 0x40);
  while (p < end) {
    const int b = *p++;
    const int count = b < 0x80 ? (b & 0x3F) + 1 : 1;
    if (b >= 0xF0) {
      last = (b & 0x0F) << 16 | p[0] << 8 | p[1];
      p += 2;
    } else if (b >= 0xC0) {
      last += ((b - 0xC0) << 8 | *p++) - MID;
    } else if (b >= 0x80) {
      last += b - 0xA0;
    }
    if (cell < at + count) {
      return b >= 0x80 ? (unsigned)last : b >= 0x40 ? (unsigned)(last + 1 + cell - at) : 0;
    }
    at += count;
    last += b >= 0x40 && b < 0x80 ? count : 0;
  }
  return 0;
}

int cp932_to_utf8(const unsigned char* in, int length, char* out, int cap) {
  int n = 0;
  for (int i = 0; i < length; ++i) {
    unsigned c = in[i];
    char bytes[4];
    int size;
    if (c >= 0xA1 && c <= 0xDF) {
      c = 0xFF61 + (c - 0xA1); /* half-width katakana */
    } else if (is_lead(c)) {
      c = i + 1 < length ? pair_char(c, in[++i]) : 0;
      if (c == 0) {
        return 0;
      }
    } else if (c >= 0x80) {
      return 0;
    }
    size = utf8_put(c, bytes);
    if (n + size >= cap) {
      return 0;
    }
    for (int k = 0; k < size; ++k) {
      out[n++] = bytes[k];
    }
  }
  out[n] = 0;
  return 1;
}
