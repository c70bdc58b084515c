// A full disk, made without privileges: a limit on the size of the files a process writes.
#pragma once

#include <csignal>

#include <sys/resource.h>

namespace testsupport {

// Limits the files this process writes to `bytes` while the object lives. SIGXFSZ is ignored
// meanwhile, so a write past the limit is cut short or fails with EFBIG, as on a full disk,
// instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long long bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = rlim_t(bytes);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // For a child process before it runs its program: the limit stays for the program's life
    // (an ignored signal stays ignored across exec).
    static void setForGood(long long bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

} // namespace testsupport
