// For the demonstration: runs a program in a umockdev test bed (this tool itself runs under
// umockdev-wrapper) and plugs in a simulated Lumo printer after a while.
//   kelvane_demo_printer SECONDS A|B PROGRAM [ARGUMENTS...]
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/platform/linux/UsbTestbed.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SECONDS A|B PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const unsigned seconds = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10));
    const bool lumoB = std::string(argv[2]) == "B";

    kelvane::testing::UsbTestbed usb;
    const pid_t child = ::fork();
    if (child == 0) {
        ::execvp(argv[3], argv + 3);
        std::perror(argv[3]);
        ::_exit(127);
    }
    ::sleep(seconds);
    int status = 0;
    if (::waitpid(child, &status, WNOHANG) == 0) {
        kelvane::testing::MockUsbDevice printer;
        if (lumoB) {
            printer.idProduct = "050e";
            printer.serial = "LUMOB0001";
        }
        usb.Add(printer);
        ::waitpid(child, &status, 0);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
