#include "cp932.h"

#include "text.h"

enum { SKIP = 0xD800, RUN = 0xDC00, TOKEN_END = 0xE000, TRAILS = 0xFC - 0x40 + 1 };

static int is_lead(unsigned b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

/* The character of a double-byte pair, 0 when the pair has none. */
static unsigned pair_char(unsigned lead, unsigned trail) {
  const int cell =
      (int)(lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 0x1F) * TRAILS + (int)(trail - 0x40);
  unsigned last = 0;
  int at = 0;
  if (trail < 0x40 || trail > 0xFC) {
    return 0;
  }
  for (int i = 0; i < cp932_pair_tokens; ++i) {
    const unsigned token = cp932_pairs[i];
    const int count = token >= SKIP && token < TOKEN_END ? (int)(token & 0x3FF) + 1 : 1;
    if (cell < at + count) {
      return token < SKIP || token >= TOKEN_END ? token
             : token >= RUN                     ? last + 1 + (unsigned)(cell - at)
                                                : 0;
    }
    at += count;
    last = token < SKIP || token >= TOKEN_END ? token
           : token >= RUN                     ? last + (unsigned)count
                                              : last;
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
