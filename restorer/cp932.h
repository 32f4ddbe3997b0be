#ifndef KV_RESTORER_CP932_H
#define KV_RESTORER_CP932_H
/* Code page 932, the system code page a Japanese Windows records names in,
 * read into UTF-8 as the program's converter reads it. */

/* The double-byte characters, lead 0x81-0x9F and 0xE0-0xFC by trail
 * 0x40-0xFC, packed by make_cp932_table.py (which says how). */
extern const unsigned char cp932_pairs[];
extern const int cp932_pairs_size;

/* `length` bytes of code page 932 as zero-terminated UTF-8 in `out`; 0 when
 * they are not valid there or do not fit in `cap` bytes. */
int cp932_to_utf8(const unsigned char* in, int length, char* out, int cap);

#endif
