/* The restorer's system layer on Windows: wide-character file calls and a
 * Unicode console, with UTF-8 on the program's side. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
/* After windows.h, which it builds on. */
#include <shellapi.h>

#include "sys.h"
#include "text.h"

/* One conversion buffer per argument position: no call needs two at once. */
static WCHAR wide_path[SYS_PATH_MAX];
static WCHAR wide_text[SYS_PATH_MAX];
static int own_console;
/* The error of the last failed call, kept before anything else can change it. */
static DWORD failure;

/* Records the last error (or `code` when the call itself found the fault);
 * returns -1. */
static int failed(DWORD code) {
  failure = code != 0 ? code : GetLastError();
  return -1;
}

enum sys_failure sys_failure_kind(void) {
  if (failure == ERROR_FILE_NOT_FOUND || failure == ERROR_PATH_NOT_FOUND) {
    return SYS_FAILED_MISSING;
  }
  return failure == ERROR_FILE_EXISTS || failure == ERROR_ALREADY_EXISTS ? SYS_FAILED_EXISTS
                                                                         : SYS_FAILED_OTHER;
}

void sys_failure_text(char* out, int cap) {
  WCHAR wide[512];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                           failure, 0, wide, 512, NULL);
  /* The system's text ends with a line end. */
  while (n > 0 && (wide[n - 1] == L'\n' || wide[n - 1] == L'\r' || wide[n - 1] == L' ')) {
    --n;
  }
  wide[n] = 0;
  if (n == 0 || WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, cap, NULL, NULL) <= 0) {
    out[0] = 0;
    text_add(out, cap, "error ");
    text_add_number(out, cap, failure, 0);
  }
}

static const WCHAR* to_wide(const char* utf8, WCHAR* out) {
  if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out, SYS_PATH_MAX) <= 0) {
    out[0] = 0;
  }
  return out;
}

static char* to_utf8(const WCHAR* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, NULL, 0, NULL, NULL);
  char* out = HeapAlloc(GetProcessHeap(), 0, size > 0 ? (SIZE_T)size : 1);
  if (out == NULL || size <= 0 ||
      WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, size, NULL, NULL) <= 0) {
    ExitProcess(1);
  }
  return out;
}

void sys_start(int* argc, char*** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  char** args = HeapAlloc(GetProcessHeap(), 0, sizeof(char*) * (SIZE_T)(count + 1));
  DWORD ids[2];
  if (wide == NULL || args == NULL) {
    ExitProcess(1);
  }
  for (int i = 0; i < count; ++i) {
    args[i] = to_utf8(wide[i]);
  }
  args[count] = NULL;
  *argc = count;
  *argv = args;
  /* Alone on its console: it was opened for this program (a double-click). */
  own_console = GetConsoleProcessList(ids, 2) == 1;
}

void sys_finish(int status) {
  char line[8];
  if (own_console) {
    static const char prompt[] = "\nEnterキーを押すと終了します";
    sys_out(prompt, (int)sizeof prompt - 1);
    sys_read_line(line, (int)sizeof line);
  }
  ExitProcess((UINT)status);
}

int sys_self_path(char* buf, int cap) {
  WCHAR wide[SYS_PATH_MAX];
  const DWORD n = GetModuleFileNameW(NULL, wide, SYS_PATH_MAX);
  if (n == 0 || n >= SYS_PATH_MAX) {
    failed(n == 0 ? 0 : ERROR_FILENAME_EXCED_RANGE);
    return 0;
  }
  return WideCharToMultiByte(CP_UTF8, 0, wide, -1, buf, cap, NULL, NULL) > 0;
}

int sys_is_sep(char c) {
  return c == '\\' || c == '/';
}
char sys_sep(void) {
  return '\\';
}

/* The handle of an opened file, or SYS_NO_FD with the cause kept when the
   open failed or the name led to something other than a file on a disk (a
   reserved name such as CON, NUL or COM1 opens a device). */
static sys_fd disk_file_or_fail(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE) {
    failed(0);
    return SYS_NO_FD;
  }
  if (GetFileType(h) != FILE_TYPE_DISK) {
    failed(ERROR_BAD_FILE_TYPE);
    CloseHandle(h);
    return SYS_NO_FD;
  }
  return (sys_fd)h;
}

sys_fd sys_open_read(const char* path) {
  HANDLE h =
      CreateFileW(to_wide(path, wide_path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  return disk_file_or_fail(h);
}

sys_fd sys_create_new(const char* path) {
  /* CREATE_NEW fails on any existing name, a link included. */
  HANDLE h = CreateFileW(to_wide(path, wide_path), GENERIC_WRITE, 0, NULL, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
  return disk_file_or_fail(h);
}

int sys_read(sys_fd fd, void* buf, int size) {
  DWORD got = 0;
  return ReadFile((HANDLE)fd, buf, (DWORD)size, &got, NULL) ? (int)got : failed(0);
}

int sys_write(sys_fd fd, const void* buf, int size) {
  DWORD put = 0;
  if (!WriteFile((HANDLE)fd, buf, (DWORD)size, &put, NULL)) {
    return failed(0);
  }
  return put == (DWORD)size ? 0 : failed(ERROR_DISK_FULL);
}

int sys_seek(sys_fd fd, i64 position) {
  LARGE_INTEGER to;
  to.QuadPart = position;
  return SetFilePointerEx((HANDLE)fd, to, NULL, FILE_BEGIN) ? 0 : failed(0);
}

i64 sys_size(sys_fd fd) {
  LARGE_INTEGER size;
  return GetFileSizeEx((HANDLE)fd, &size) ? size.QuadPart : failed(0);
}

int sys_close(sys_fd fd) {
  return CloseHandle((HANDLE)fd) ? 0 : failed(0);
}

int sys_set_mtime(sys_fd fd, i64 unix_seconds) {
  /* FILETIME counts 100 ns steps from 1601-01-01. */
  const unsigned long long ticks = (unsigned long long)(unix_seconds + 11644473600LL) * 10000000ULL;
  FILETIME written;
  written.dwLowDateTime = (DWORD)ticks;
  written.dwHighDateTime = (DWORD)(ticks >> 32);
  return SetFileTime((HANDLE)fd, NULL, NULL, &written) ? 0 : failed(0);
}

int sys_is_folder(const char* path) {
  const DWORD a = GetFileAttributesW(to_wide(path, wide_path));
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int sys_same_name(const char* a, const char* b) {
  WCHAR other[SYS_PATH_MAX];
  return CompareStringOrdinal(to_wide(a, wide_path), -1, to_wide(b, other), -1, TRUE) == CSTR_EQUAL;
}

int sys_identify(const char* path, sys_identity* id) {
  BY_HANDLE_FILE_INFORMATION info;
  /* The name itself: a link is not followed, a folder opens too. */
  HANDLE h = CreateFileW(
      to_wide(path, wide_path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, NULL);
  if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info)) {
    failed(0);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
    }
    return 0;
  }
  CloseHandle(h);
  id->part[0] = info.dwVolumeSerialNumber;
  id->part[1] = ((unsigned long long)info.nFileIndexHigh << 32) | info.nFileIndexLow;
  id->part[2] = ((unsigned long long)info.ftLastWriteTime.dwHighDateTime << 32) |
                info.ftLastWriteTime.dwLowDateTime;
  id->part[3] = ((unsigned long long)info.nFileSizeHigh << 32) | info.nFileSizeLow;
  return 1;
}

int sys_replace(const char* from, const char* to) {
  WCHAR target[SYS_PATH_MAX];
  return MoveFileExW(to_wide(from, wide_path), to_wide(to, target), MOVEFILE_REPLACE_EXISTING)
             ? 0
             : failed(0);
}

int sys_same_file(const char* path, sys_fd fd) {
  BY_HANDLE_FILE_INFORMATION a;
  BY_HANDLE_FILE_INFORMATION b;
  HANDLE h = CreateFileW(to_wide(path, wide_path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  int same;
  if (h == INVALID_HANDLE_VALUE) {
    return 0;
  }
  same = GetFileInformationByHandle(h, &a) && GetFileInformationByHandle((HANDLE)fd, &b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
  CloseHandle(h);
  return same;
}

void sys_out(const char* text, int length) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode;
  DWORD put;
  if (GetConsoleMode(out, &mode)) {
    /* A console takes UTF-16, whatever its code page. */
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, length, wide_text, SYS_PATH_MAX);
    WriteConsoleW(out, wide_text, (DWORD)(n > 0 ? n : 0), &put, NULL);
  } else {
    WriteFile(out, text, (DWORD)length, &put, NULL);
  }
}

int sys_out_is_console(void) {
  DWORD mode;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

static int read_console_line(HANDLE in, char* buf, int cap) {
  WCHAR wide[512];
  DWORD got = 0;
  int n;
  if (!ReadConsoleW(in, wide, 511, &got, NULL) || got == 0) {
    return -1;
  }
  while (got > 0 && (wide[got - 1] == L'\n' || wide[got - 1] == L'\r')) {
    --got;
  }
  wide[got] = 0;
  n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, buf, cap, NULL, NULL);
  if (n <= 0) {
    buf[0] = 0;
    return 0;
  }
  return n - 1;
}

int sys_read_line(char* buf, int cap) {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode;
  if (GetConsoleMode(in, &mode)) {
    return read_console_line(in, buf, cap);
  }
  return read_byte_line((sys_fd)in, buf, cap);
}
