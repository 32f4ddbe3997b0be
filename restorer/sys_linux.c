/* The restorer's system layer on Linux: plain system calls, no stdio. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sys.h"

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

sys_fd sys_open_read(const char* path) {
  /* Non-blocking, so a fifo put in a piece's place cannot hang the open. */
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st;
  if (fd < 0) {
    return SYS_NO_FD;
  }
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return SYS_NO_FD;
  }
  return fd;
}

sys_fd sys_create_new(const char* path) {
  const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  return fd < 0 ? SYS_NO_FD : fd;
}

int sys_read(sys_fd fd, void* buf, int size) {
  for (;;) {
    const ssize_t n = read((int)fd, buf, (size_t)size);
    if (n >= 0 || errno != EINTR) {
      return (int)n;
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
      return -1;
    }
    p += n;
    size -= (int)n;
  }
  return 0;
}

int sys_seek(sys_fd fd, i64 position) {
  return lseek((int)fd, (off_t)position, SEEK_SET) == (off_t)position ? 0 : -1;
}

i64 sys_size(sys_fd fd) {
  struct stat st;
  return fstat((int)fd, &st) == 0 ? (i64)st.st_size : -1;
}

int sys_close(sys_fd fd) {
  return close((int)fd);
}

int sys_set_mtime(sys_fd fd, i64 unix_seconds) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = (time_t)unix_seconds;
  times[1].tv_nsec = 0;
  return futimens((int)fd, times);
}

int sys_exists(const char* path) {
  struct stat st;
  return lstat(path, &st) == 0;
}

int sys_is_folder(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

int sys_remove(const char* path) {
  return unlink(path);
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
