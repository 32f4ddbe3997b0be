/* The restorer's system layer on Linux: plain system calls, no stdio streams. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sys.h"
#include "text.h"

/* The errno of the last failed call, kept before anything else can change it. */
static int failure;

/* Records errno (or `code` when the call itself found the fault); returns -1. */
static int failed(int code) {
  failure = code != 0 ? code : errno;
  return -1;
}

enum sys_failure sys_failure_kind(void) {
  if (failure == ENOENT || failure == ENOTDIR) {
    return SYS_FAILED_MISSING;
  }
  return failure == EEXIST ? SYS_FAILED_EXISTS : SYS_FAILED_OTHER;
}

void sys_failure_text(char* out, int cap) {
  out[0] = 0;
  text_add(out, cap, strerror(failure));
}

void sys_start(int* argc, char*** argv) {
  (void)argc;
  (void)argv;
}

void sys_finish(int status) {
  _exit(status);
}

int sys_self_path(char* buf, int cap) {
  const ssize_t n = readlink("/proc/self/exe", buf, (size_t)cap - 1);
  if (n <= 0 || n >= cap - 1) {
    failed(n < 0 ? 0 : ENAMETOOLONG);
    return 0;
  }
  buf[n] = 0;
  return 1;
}

int sys_is_sep(char c) {
  return c == '/';
}
char sys_sep(void) {
  return '/';
}

/* The errno that names what stands under a name instead of a file. */
static int not_regular_error(mode_t mode) {
  if (S_ISDIR(mode)) {
    return EISDIR;
  }
  return S_ISFIFO(mode) || S_ISSOCK(mode) ? ESPIPE : ENOTSUP;
}

sys_fd sys_open_read(const char* path) {
  /* Non-blocking, so a fifo put in a piece's place cannot hang the open. */
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st;
  int status;
  if (fd < 0) {
    failed(0);
    return SYS_NO_FD;
  }
  status = fstat(fd, &st);
  if (status != 0 || !S_ISREG(st.st_mode)) {
    failed(status != 0 ? 0 : not_regular_error(st.st_mode));
    close(fd);
    return SYS_NO_FD;
  }
  return fd;
}

sys_fd sys_create_new(const char* path) {
  const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  return fd < 0 ? failed(0) : fd;
}

int sys_read(sys_fd fd, void* buf, int size) {
  for (;;) {
    const ssize_t n = read((int)fd, buf, (size_t)size);
    if (n >= 0 || errno != EINTR) {
      return n >= 0 ? (int)n : failed(0);
    }
  }
}

int sys_write(sys_fd fd, const void* buf, int size) {
  const char* p = buf;
  while (size > 0) {
    const ssize_t n = write((int)fd, p, (size_t)size);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return failed(n == 0 ? ENOSPC : 0);
    }
    p += n;
    size -= (int)n;
  }
  return 0;
}

int sys_seek(sys_fd fd, i64 position) {
  return lseek((int)fd, (off_t)position, SEEK_SET) == (off_t)position ? 0 : failed(0);
}

i64 sys_size(sys_fd fd) {
  struct stat st;
  return fstat((int)fd, &st) == 0 ? (i64)st.st_size : failed(0);
}

int sys_close(sys_fd fd) {
  return close((int)fd) == 0 ? 0 : failed(0);
}

int sys_set_mtime(sys_fd fd, i64 unix_seconds) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = (time_t)unix_seconds;
  times[1].tv_nsec = 0;
  return futimens((int)fd, times) == 0 ? 0 : failed(0);
}

int sys_is_folder(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

int sys_same_name(const char* a, const char* b) {
  return strcmp(a, b) == 0;
}

int sys_identify(const char* path, sys_identity* id) {
  struct stat st;
  if (lstat(path, &st) != 0) {
    failed(0);
    return 0;
  }
  id->part[0] = (unsigned long long)st.st_dev;
  id->part[1] = (unsigned long long)st.st_ino;
  /* A new file may get a freed inode number, never the same change time. */
  id->part[2] = (unsigned long long)st.st_ctim.tv_sec;
  id->part[3] = (unsigned long long)st.st_ctim.tv_nsec;
  return 1;
}

int sys_replace(const char* from, const char* to) {
  return rename(from, to) == 0 ? 0 : failed(0);
}

int sys_same_file(const char* path, sys_fd fd) {
  struct stat a;
  struct stat b;
  return stat(path, &a) == 0 && fstat((int)fd, &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

void sys_out(const char* text, int length) {
  sys_write(STDOUT_FILENO, text, length);
}

int sys_out_is_console(void) {
  return isatty(STDOUT_FILENO);
}

int sys_read_line(char* buf, int cap) {
  return read_byte_line(STDIN_FILENO, buf, cap);
}
