// SPDX-License-Identifier: GPL-3.0-or-later
#include "project_file_support.h"

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace vorna::project::testing {

namespace {
constexpr uid_t kNobody = 65534;
}

bool runUnprivileged(const std::function<bool()> &step)
{
    if (geteuid() != 0)
        return step();
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(2);
        _exit(step() ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
        throw std::runtime_error("could not run the step as an unprivileged user");
    return WEXITSTATUS(status) == 1;
}

void giveToUnprivileged(const QString &path)
{
    if (geteuid() == 0 && chown(QFile::encodeName(path).constData(), kNobody, kNobody) != 0)
        throw std::runtime_error("chown failed");
}

} // namespace vorna::project::testing
