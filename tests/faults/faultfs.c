/* A fault injector for the file system, loaded with LD_PRELOAD: it counts
 * the calls that touch one folder (FAULTFS_DIR) and makes the N-th fail
 * (FAULTFS_FAIL=N, errno FAULTFS_ERRNO, ENOSPC by default; a write fails
 * short when FAULTFS_SHORT is set) or kills the process just before it
 * (FAULTFS_KILL=N). At exit the count and the kinds of call seen are added
 * to FAULTFS_REPORT. Calls by file descriptor count when the descriptor was
 * opened under the folder. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kMaxFd = 65536 };
static unsigned char watched[kMaxFd];
static long calls, failAt, killAt;
static int failErrno = ENOSPC, shortWrite;
static const char* dir;
static size_t dirLen;
static char seen[64];  /* one letter a kind of call */

static void Setup(void) {
    static int done;
    if (done) return;
    done = 1;
    dir = getenv("FAULTFS_DIR");
    dirLen = dir ? strlen(dir) : 0;
    failAt = getenv("FAULTFS_FAIL") ? atol(getenv("FAULTFS_FAIL")) : 0;
    killAt = getenv("FAULTFS_KILL") ? atol(getenv("FAULTFS_KILL")) : 0;
    if (getenv("FAULTFS_ERRNO")) failErrno = atoi(getenv("FAULTFS_ERRNO"));
    shortWrite = getenv("FAULTFS_SHORT") != NULL;
}

static int Under(int dirfd, const char* path) {
    Setup();
    if (!dir || !path) return 0;
    if (path[0] != '/') return dirfd == AT_FDCWD ? 1 : (dirfd >= 0 && dirfd < kMaxFd && watched[dirfd]);
    return strncmp(path, dir, dirLen) == 0 && (path[dirLen] == '/' || path[dirLen] == '\0');
}

static int Watched(int fd) { return fd >= 0 && fd < kMaxFd && watched[fd]; }

/* 1: fail this call; kills the process when told to. */
static int Fault(char kind) {
    ++calls;
    if (!strchr(seen, kind) && strlen(seen) + 1 < sizeof seen) seen[strlen(seen)] = kind;
    if (calls == killAt) raise(SIGKILL);
    return calls == failAt;
}

#define REAL(ret, name, ...) \
    static ret (*real)(__VA_ARGS__); \
    if (!real) real = (ret(*)(__VA_ARGS__))dlsym(RTLD_NEXT, name)

static int Opened(int fd, int under) {
    if (fd >= 0 && fd < kMaxFd) watched[fd] = (unsigned char)under;
    return fd;
}

static int OpenAt(int dirfd, const char* path, int flags, mode_t mode, const char* name) {
    REAL(int, name, int, const char*, int, ...);
    const int under = Under(dirfd, path);
    if (under && Fault('o')) return errno = failErrno, -1;
    return Opened(real(dirfd, path, flags, mode), under);
}

int openat(int dirfd, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(ap, mode_t) : 0;
    va_end(ap);
    return OpenAt(dirfd, path, flags, mode, "openat");
}
int openat64(int dirfd, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(ap, mode_t) : 0;
    va_end(ap);
    return OpenAt(dirfd, path, flags, mode, "openat64");
}
int open(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(ap, mode_t) : 0;
    va_end(ap);
    return OpenAt(AT_FDCWD, path, flags, mode, "openat");
}
int open64(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(ap, mode_t) : 0;
    va_end(ap);
    return OpenAt(AT_FDCWD, path, flags, mode, "openat64");
}

ssize_t write(int fd, const void* buf, size_t n) {
    REAL(ssize_t, "write", int, const void*, size_t);
    if (Watched(fd) && Fault('w')) {
        if (shortWrite && n > 1) return real(fd, buf, n / 2);
        return errno = failErrno, -1;
    }
    return real(fd, buf, n);
}

int fsync(int fd) {
    REAL(int, "fsync", int);
    if (Watched(fd) && Fault('s')) return errno = failErrno, -1;
    return real(fd);
}
int fdatasync(int fd) {
    REAL(int, "fdatasync", int);
    if (Watched(fd) && Fault('s')) return errno = failErrno, -1;
    return real(fd);
}
int close(int fd) {
    REAL(int, "close", int);
    const int was = Watched(fd);
    Opened(fd, 0);
    if (was && Fault('c')) {
        real(fd);  /* the descriptor is gone either way, as on Linux */
        return errno = failErrno, -1;
    }
    return real(fd);
}
int rename(const char* from, const char* to) {
    REAL(int, "rename", const char*, const char*);
    if ((Under(AT_FDCWD, from) || Under(AT_FDCWD, to)) && Fault('r')) return errno = failErrno, -1;
    return real(from, to);
}
int renameat(int fd1, const char* from, int fd2, const char* to) {
    REAL(int, "renameat", int, const char*, int, const char*);
    if ((Under(fd1, from) || Under(fd2, to)) && Fault('r')) return errno = failErrno, -1;
    return real(fd1, from, fd2, to);
}
int renameat2(int fd1, const char* from, int fd2, const char* to, unsigned flags) {
    REAL(int, "renameat2", int, const char*, int, const char*, unsigned);
    if ((Under(fd1, from) || Under(fd2, to)) && Fault('r')) return errno = failErrno, -1;
    return real(fd1, from, fd2, to, flags);
}
int link(const char* from, const char* to) {
    REAL(int, "link", const char*, const char*);
    if (Under(AT_FDCWD, to) && Fault('l')) return errno = failErrno, -1;
    return real(from, to);
}
int linkat(int fd1, const char* from, int fd2, const char* to, int flags) {
    REAL(int, "linkat", int, const char*, int, const char*, int);
    if ((Under(fd2, to) || Watched(fd1)) && Fault('l')) return errno = failErrno, -1;
    return real(fd1, from, fd2, to, flags);
}
int unlink(const char* path) {
    REAL(int, "unlink", const char*);
    if (Under(AT_FDCWD, path) && Fault('u')) return errno = failErrno, -1;
    return real(path);
}
int unlinkat(int fd, const char* path, int flags) {
    REAL(int, "unlinkat", int, const char*, int);
    if (Under(fd, path) && Fault('u')) return errno = failErrno, -1;
    return real(fd, path, flags);
}
int mkdir(const char* path, mode_t mode) {
    REAL(int, "mkdir", const char*, mode_t);
    if (Under(AT_FDCWD, path) && Fault('m')) return errno = failErrno, -1;
    return real(path, mode);
}

__attribute__((destructor)) static void Report(void) {
    const char* report = getenv("FAULTFS_REPORT");
    if (!report) return;
    FILE* f = fopen(report, "w");
    if (!f) return;
    fprintf(f, "%ld %s\n", calls, seen);
    fclose(f);
}
