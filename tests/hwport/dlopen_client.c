/* A plain C program that loads libhwport32 at run time and drives the virtual
 * service through it. Argument: the library's path. */
#define _GNU_SOURCE
#include "hwport32.h"

#include <dlfcn.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

/* The POSIX way to turn a dlsym result into a function pointer. */
#define LOOKUP(handle, name)                                                                                           \
    name##_t name##_p = NULL;                                                                                          \
    *(void**)(&name##_p) = dlsym(handle, #name)

typedef HwPort32Connection* (*OpenHWPORT32_t)(HwPort32Connection*, const char*, const char*);
typedef uint32_t (*CloseHWPORT32_t)(HwPort32Connection*);
typedef uint32_t (*GetActiveHW_t)(HwPort32Connection*);
typedef void (*SetPortByte_t)(HwPort32Connection*, uint32_t, uint32_t);
typedef uint8_t (*GetPortByte_t)(HwPort32Connection*, uint32_t);
typedef uint32_t (*GetLPTNumPorts_t)(HwPort32Connection*);

static int failures = 0;

static void check(int ok, const char* what)
{
    if (!ok) {
        fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

static void stopService(const char* dir)
{
    char path[512];
    snprintf(path, sizeof path, "%s/hwport32-hwport32.pid", dir);
    FILE* file = fopen(path, "r");
    int pid = 0;
    if (file != NULL) {
        if (fscanf(file, "%d", &pid) != 1)
            pid = 0;
        fclose(file);
    }
    if (pid > 1) {
        kill(pid, SIGTERM);
        for (int i = 0; i < 500; ++i) {
            const pid_t waited = waitpid(pid, NULL, WNOHANG);
            if (waited == pid || (waited < 0 && access(path, F_OK) != 0))
                break;
            struct timespec pause = {0, 10000000};
            nanosleep(&pause, NULL);
        }
    }
    char command[600];
    snprintf(command, sizeof command, "rm -rf '%s'", dir);
    if (system(command) != 0)
        fprintf(stderr, "could not remove %s\n", dir);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s LIBRARY\n", argv[0]);
        return 2;
    }
    char dir[] = "/tmp/hwport-c-XXXXXX";
    if (mkdtemp(dir) == NULL)
        return 2;
    /* The service detaches; as its subreaper we can wait for it at the end. */
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    setenv("XDG_RUNTIME_DIR", dir, 1);
    setenv("HWPORT32_VIRTUAL", "1", 1);
    setenv("HWPORT32_IDLE_EXIT", "60", 1);

    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "%s\n", dlerror());
        stopService(dir);
        return 1;
    }
    LOOKUP(library, OpenHWPORT32);
    LOOKUP(library, CloseHWPORT32);
    LOOKUP(library, GetActiveHW);
    LOOKUP(library, SetPortByte);
    LOOKUP(library, GetPortByte);
    LOOKUP(library, GetLPTNumPorts);
    check(OpenHWPORT32_p && CloseHWPORT32_p && GetActiveHW_p && SetPortByte_p && GetPortByte_p && GetLPTNumPorts_p,
          "all functions found");
    if (failures == 0) {
        check(GetActiveHW_p(NULL) == 0, "null connection is not active");
        check(GetPortByte_p(NULL, 0x378) == 0xFF, "null connection reads 255");

        /* A record of our own, as a caller may supply. */
        static _Alignas(16) unsigned char record[HWPORT32_CONNECTION_SIZE];
        HwPort32Connection* own = (HwPort32Connection*)record;
        check(OpenHWPORT32_p(own, "hwport32d", "hwport32") == own, "own record used");
        check(GetActiveHW_p(own) == 1, "own record active");

        HwPort32Connection* c = OpenHWPORT32_p(NULL, "hwport32d", "hwport32");
        check(c != NULL && GetActiveHW_p(c) == 1, "connection active");
        SetPortByte_p(c, 0x301, 0x5A);
        check(GetPortByte_p(own, 0x301) == 0x5A, "one bus for both connections");
        check(GetLPTNumPorts_p(c) == 2, "two parallel ports");
        check(CloseHWPORT32_p(c) == 0, "close returns 0");
        check(GetActiveHW_p(c) == 0, "closed");
        free(c);
        CloseHWPORT32_p(own);

        HwPort32Connection* missing = OpenHWPORT32_p(NULL, "hwport32d", "../escape");
        check(GetActiveHW_p(missing) == 0, "a device name with a path is refused");
        free(missing);
    }
    dlclose(library);
    stopService(dir);
    if (failures == 0)
        printf("dlopen client: all checks passed\n");
    return failures == 0 ? 0 : 1;
}
