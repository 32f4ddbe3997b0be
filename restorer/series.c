#include "series.h"

#include <limits.h>
#include <string.h>

int rd_open(reader* r, const char* path) {
  r->fd = sys_open_read(path);
  r->pos = 0;
  r->buf_start = 0;
  r->buf_len = 0;
  r->failed = 0;
  r->size = r->fd == SYS_NO_FD ? -1 : sys_size(r->fd);
  if (r->fd != SYS_NO_FD && r->size < 0) {
    rd_close(r);
  }
  return r->fd != SYS_NO_FD;
}

void rd_close(reader* r) {
  if (r->fd != SYS_NO_FD) {
    sys_close(r->fd);
    r->fd = SYS_NO_FD;
  }
}

int rd_seek(reader* r, i64 position) {
  if (position < 0) {
    return -1;
  }
  r->pos = position;
  return 0;
}

/* Makes the buffer hold the byte at r->pos when the file has one. */
static int fill(reader* r) {
  int got;
  if (r->pos >= r->buf_start && r->pos < r->buf_start + r->buf_len) {
    return 1;
  }
  if (sys_seek(r->fd, r->pos) != 0) {
    r->failed = 1;
    return -1;
  }
  got = sys_read(r->fd, r->buf, (int)sizeof r->buf);
  if (got < 0) {
    r->failed = 1;
    return -1;
  }
  r->buf_start = r->pos;
  r->buf_len = got;
  return got > 0;
}

int rd_read(reader* r, void* out, int size) {
  unsigned char* to = out;
  int done = 0;
  while (done < size) {
    const int state = fill(r);
    int take;
    if (state <= 0) {
      return state < 0 ? -1 : done;
    }
    take = (int)(r->buf_start + r->buf_len - r->pos);
    if (take > size - done) {
      take = size - done;
    }
    memcpy(to + done, r->buf + (r->pos - r->buf_start), (size_t)take);
    done += take;
    r->pos += take;
  }
  return done;
}

int rd_byte(reader* r) {
  unsigned char b;
  return rd_read(r, &b, 1) == 1 ? b : -1;
}

unsigned short crc16_update(unsigned short crc, const void* data, int length) {
  static unsigned short table[256];
  const unsigned char* p = data;
  if (table[1] == 0) {
    for (unsigned i = 0; i < 256; ++i) {
      unsigned v = i << 8;
      for (int bit = 0; bit < 8; ++bit) {
        v = (v & 0x8000) ? (v << 1) ^ 0x1021 : v << 1;
      }
      table[i] = (unsigned short)v;
    }
  }
  while (length-- > 0) {
    crc = (unsigned short)((crc << 8) ^ table[((crc >> 8) ^ *p++) & 0xFF]);
  }
  return crc;
}

/* A big-endian integer of `count` bytes; -1 when the file ends inside it. */
static i64 rd_big_endian(reader* r, int count) {
  unsigned char b[8];
  i64 value = 0;
  if (rd_read(r, b, count) != count) {
    return -1;
  }
  for (int i = 0; i < count; ++i) {
    value = (value << 8) | b[i];
  }
  return value;
}

i64 rd_flagged64(reader* r) {
  const i64 high = rd_big_endian(r, 4);
  i64 low;
  i64 payload;
  if (high < 0 || (high & 0x80000000LL) == 0) {
    return high;
  }
  low = rd_big_endian(r, 4);
  if (low < 0) {
    return -1;
  }
  payload = ((high & 0x7FFFFFFFLL) << 32) | low;
  /* A long form beyond 63 bits is no size or length a piece could hold. */
  if (payload > LLONG_MAX - 0x80000000LL) {
    return -1;
  }
  return payload + 0x80000000LL;
}

int rd_flagged16(reader* r) {
  const int first = rd_byte(r);
  int second;
  if (first < 0x80) {
    return first;
  }
  second = rd_byte(r);
  return second < 0 ? -1 : (((first & 0x7F) << 8) | second) + 128;
}

int rd_skip_records(reader* r) {
  for (;;) {
    const int tag = rd_byte(r);
    int length;
    if (tag <= 0) {
      return tag == 0;
    }
    length = rd_flagged16(r);
    if (length < 0 || r->pos + length > r->size) {
      return 0;
    }
    r->pos += length;
  }
}
