// Another copy of the program as far as its single-instance lock goes: takes the application folder's lock
// with the program's own code, prints what it got, and holds it until its input closes or it is killed.
#include "platform/SingleInstance.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const SingleInstance::Lock lock = SingleInstance::Acquire(QString::fromLocal8Bit(argv[1]));
    std::puts(lock == SingleInstance::Lock::Taken           ? "Taken"
              : lock == SingleInstance::Lock::HeldElsewhere ? "HeldElsewhere"
                                                            : "Unavailable");
    std::fflush(stdout);
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    SingleInstance::Release();
    return 0;
}
